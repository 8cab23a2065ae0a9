# The web tree: Debian's emscripten toolchain, with node able to find the
# JavaScript optimizer's modules (Debian keeps acorn in /usr/share/nodejs,
# which the installed node does not search) whoever runs the build.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
# Only links run the optimizer; a launcher keeps this working for plain
# `cmake --build` as well as for builds started from a preset.
set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
