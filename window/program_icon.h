#pragma once
// The compass icon of the window, which is also the program's icon.

class QWidget;

// Gives `window` the program's icon: at once the sizes a title bar draws,
// and the larger ones for task switchers and docks only after the window's
// first paint, so that reading them does not delay it.
void setProgramIcon(QWidget *window);
