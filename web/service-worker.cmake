# Gives the page of SITE another TITLE, when one is given; then writes
# SITE/service-worker.js from TEMPLATE: the list of every file of the site
# that the program needs offline (all but the licence texts and the
# uncompressed program, which only a browser that cannot decompress loads),
# and a digest of their contents that names the browser's copy of it.
if(TITLE)
    file(READ ${SITE}/index.html page)
    string(REPLACE "<title>Tervalo</title>" "<title>${TITLE}</title>" page "${page}")
    file(WRITE ${SITE}/index.html "${page}")
endif()
file(GLOB_RECURSE files RELATIVE ${SITE} ${SITE}/*)
list(FILTER files EXCLUDE REGEX "^licenses/|^tervalo\\.wasm$")
list(SORT files)
set(listed "\"./\"")
set(contents "")
foreach(file IN LISTS files)
    file(SHA256 ${SITE}/${file} digest)
    string(APPEND contents "${file} ${digest}\n")
    string(APPEND listed ", \"${file}\"")
endforeach()
string(SHA256 SITE_DIGEST "${contents}")
string(SUBSTRING ${SITE_DIGEST} 0 16 SITE_DIGEST)
set(SITE_FILES ${listed})
configure_file(${TEMPLATE} ${SITE}/service-worker.js @ONLY)
