# shellcheck shell=sh disable=SC2154 # top comes from common.sh
# What the checks that drive the real window need to know of it, read from
# the form itself (window/form2.ui), so that they follow it when it changes;
# sourced after common.sh.

form=$top/window/form2.ui

# form_geometry NAME: "X Y WIDTH HEIGHT" of the control NAME in pixels of its
# parent's inner area, or of the window itself for Form2.
form_geometry() {
    awk -v name="$1" '
        index($0, "name=\"" name "\">") && /<widget / { inside = 1 }
        inside && /<x>/ { gsub(/[^0-9]/, ""); x = $0 }
        inside && /<y>/ { gsub(/[^0-9]/, ""); y = $0 }
        inside && /<width>/ { gsub(/[^0-9]/, ""); w = $0 }
        inside && /<height>/ { gsub(/[^0-9]/, ""); print x, y, w, $0; exit }
    ' "$form"
}

# form_centre NAME [SCALE]: "X Y", the middle of the control NAME, times SCALE
# (default 1), rounded to whole pixels.
form_centre() {
    form_geometry "$1" | awk -v scale="${2:-1}" '{ printf "%d %d\n", ($1 + $3 / 2) * scale + 0.5, ($2 + $4 / 2) * scale + 0.5 }'
}

# form_title: the window's title.
form_title() {
    sed -n '/<property name="windowTitle">/{n;s/.*<string>\(.*\)<\/string>.*/\1/p;q}' "$form"
}
