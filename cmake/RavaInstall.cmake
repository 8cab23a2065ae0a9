# Install rules and package files for the libraries: exported rava:: targets,
# a CMake package config with components and a version file, one pkg-config
# file per library, and the <rava/...> include layout in both the build and
# the install tree. Included once, after every library folder was added, so it
# sees exactly the targets this tree builds (rava::host only with a backend).

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Library target -> component name. The host needs its portable core at link
# time, so the core is exported too, with no headers of its own.
set(rava_components runtime retained provider host_core host)
set(rava_public_header_runtime runtime/runtime.h)
set(rava_public_header_retained retained/retained_store.h)
set(rava_public_header_provider provider/native_ui_host_provider.h)
set(rava_public_header_host host/host.h)

set(rava_exported "")
foreach(component ${rava_components})
  # The core alone is of no use to a client: it goes where the host goes.
  if(TARGET rava_${component} AND (NOT component STREQUAL "host_core" OR TARGET rava_host))
    list(APPEND rava_exported ${component})
  endif()
endforeach()

# Writes a file only when its text changed, so regenerated headers do not
# rebuild everything that includes them.
function(rava_write_if_changed path text)
  if(EXISTS ${path})
    file(READ ${path} old)
    if(old STREQUAL text)
      return()
    endif()
  endif()
  file(WRITE ${path} "${text}")
endfunction()

# Project headers a header includes, transitively, as paths from the source
# root (quoted includes only; system headers use <>).
function(rava_header_closure header out)
  set(seen "")
  set(todo ${header})
  while(todo)
    list(POP_FRONT todo current)
    if(current IN_LIST seen OR NOT EXISTS ${PROJECT_SOURCE_DIR}/${current})
      continue()
    endif()
    list(APPEND seen ${current})
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
      ${PROJECT_SOURCE_DIR}/${current})
    file(STRINGS ${PROJECT_SOURCE_DIR}/${current} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${lines})
      string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" included "${line}")
      list(APPEND todo ${included})
    endforeach()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# In the build tree <rava/lib/header.h> forwards to the source header, so code
# inside the tree includes the public headers the way clients do.
set(rava_build_include ${PROJECT_BINARY_DIR}/include)
# Installed copies live under include/rava/: their project includes get the
# same prefix so nothing else on a client's include path can shadow them.
set(rava_staged_include ${PROJECT_BINARY_DIR}/rava-install/include)
foreach(component ${rava_exported})
  if(NOT DEFINED rava_public_header_${component})
    continue()
  endif()
  set(public ${rava_public_header_${component}})
  rava_write_if_changed(${rava_build_include}/rava/${public}
    "// Generated: forwards to the source tree.\n#include \"${PROJECT_SOURCE_DIR}/${public}\"\n")
  rava_header_closure(${public} headers)
  foreach(header ${headers})
    file(READ ${PROJECT_SOURCE_DIR}/${header} text)
    foreach(other ${headers})
      string(REPLACE "#include \"${other}\"" "#include \"rava/${other}\"" text "${text}")
    endforeach()
    rava_write_if_changed(${rava_staged_include}/rava/${header} "${text}")
    get_filename_component(dir ${header} DIRECTORY)
    install(FILES ${rava_staged_include}/rava/${header}
      DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/rava/${dir} COMPONENT development)
  endforeach()
endforeach()

# Folders add their source root as a plain include path; exported targets
# need it marked as build-only, with the install include dir beside it.
foreach(component ${rava_exported})
  set(target rava_${component})
  get_target_property(dirs ${target} INTERFACE_INCLUDE_DIRECTORIES)
  set(wrapped "")
  if(dirs)
    foreach(dir ${dirs})
      if(dir MATCHES "^\\$<")
        list(APPEND wrapped "${dir}")
      else()
        list(APPEND wrapped "$<BUILD_INTERFACE:${dir}>")
      endif()
    endforeach()
  endif()
  list(APPEND wrapped "$<BUILD_INTERFACE:${rava_build_include}>" "$<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>")
  set_property(TARGET ${target} PROPERTY INTERFACE_INCLUDE_DIRECTORIES "${wrapped}")
  target_compile_features(${target} INTERFACE cxx_std_20)
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${component})
  add_library(rava::${component} ALIAS ${target})
endforeach()

# Direct link items of a target, with $<LINK_ONLY:...> unwrapped.
function(rava_link_items target out)
  get_target_property(items ${target} LINK_LIBRARIES)
  set(result "")
  if(items)
    foreach(item ${items})
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
      list(APPEND result "${item}")
    endforeach()
  endif()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Imported packages (Name::target) a component needs, with those of the rava
# components it links: the package config finds them for a client.
function(rava_external_packages component out)
  set(packages "")
  rava_link_items(rava_${component} items)
  foreach(item ${items})
    if(item MATCHES "^rava_(.+)$" AND CMAKE_MATCH_1 IN_LIST rava_exported)
      rava_external_packages(${CMAKE_MATCH_1} inner)
      list(APPEND packages ${inner})
    elseif(item MATCHES "^([A-Za-z0-9_]+)::")
      list(APPEND packages ${CMAKE_MATCH_1})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES packages)
  set(${out} ${packages} PARENT_SCOPE)
endfunction()

if(RAVA_FUZZ)
  return()  # A fuzz tree is never installed.
endif()

set(rava_targets "")
foreach(component ${rava_exported})
  list(APPEND rava_targets rava_${component})
endforeach()
install(TARGETS ${rava_targets} EXPORT rava-targets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
if(TARGET rava_fluid)
  install(TARGETS rava_fluid RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
endif()

set(rava_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/rava)
install(EXPORT rava-targets NAMESPACE rava:: FILE rava-targets.cmake
  DESTINATION ${rava_cmake_dir} COMPONENT development)

set(RAVA_COMPONENT_DEPENDENCIES "")
foreach(component ${rava_exported})
  rava_external_packages(${component} packages)
  string(APPEND RAVA_COMPONENT_DEPENDENCIES "set(_rava_packages_${component} \"${packages}\")\n")
endforeach()
set(RAVA_COMPONENTS "${rava_exported}")
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/rava-config.cmake.in
  ${PROJECT_BINARY_DIR}/rava-install/rava-config.cmake INSTALL_DESTINATION ${rava_cmake_dir})
# 0.x releases break compatibility between minor versions.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/rava-install/rava-config-version.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/rava-install/rava-config.cmake
  ${PROJECT_BINARY_DIR}/rava-install/rava-config-version.cmake
  DESTINATION ${rava_cmake_dir} COMPONENT development)

# pkg-config: static libraries, so every dependency is public (Requires/Libs).
# Cflags carry -std=c++20: the headers need it, and a compiler's default
# (C++17 for GCC 12) would otherwise fail deep inside them.
# Imported targets map to their pkg-config modules; the files locate the
# prefix from their own place, so an installed tree can be moved.
set(rava_pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH rava_pc_to_prefix /${rava_pc_dir} /)
string(REGEX REPLACE "/$" "" rava_pc_to_prefix "${rava_pc_to_prefix}")
function(rava_pc_item item out_requires out_libs)
  if(item MATCHES "^rava_(.+)$" AND CMAKE_MATCH_1 IN_LIST rava_exported)
    string(REPLACE "_" "-" name ${CMAKE_MATCH_1})
    list(APPEND ${out_requires} rava-${name})
  elseif(item STREQUAL "Threads::Threads")
    list(APPEND ${out_libs} -pthread)
  elseif(item STREQUAL "Freetype::Freetype")
    list(APPEND ${out_requires} freetype2)
  elseif(item MATCHES "^[A-Za-z0-9_]+::(.+)$")
    string(TOLOWER ${CMAKE_MATCH_1} module)
    list(APPEND ${out_requires} ${module})
  elseif(item MATCHES "^\\$<")
    message(WARNING "rava: pkg-config files cannot express link item ${item}")
  elseif(item MATCHES "^-")
    list(APPEND ${out_libs} ${item})
  elseif(IS_ABSOLUTE ${item})
    list(APPEND ${out_libs} ${item})
  else()
    list(APPEND ${out_libs} -l${item})
  endif()
  set(${out_requires} ${${out_requires}} PARENT_SCOPE)
  set(${out_libs} ${${out_libs}} PARENT_SCOPE)
endfunction()
foreach(component ${rava_exported})
  set(target rava_${component})
  string(REPLACE "_" "-" name ${component})
  set(requires "")
  set(libs "")
  rava_link_items(${target} items)
  foreach(item ${items})
    rava_pc_item(${item} requires libs)
  endforeach()
  list(JOIN requires ", " requires)
  list(JOIN libs " " libs)
  get_target_property(output ${target} OUTPUT_NAME)
  if(NOT output)
    set(output ${target})
  endif()
  set(pc ${PROJECT_BINARY_DIR}/rava-install/rava-${name}.pc)
  file(WRITE ${pc} "prefix=\${pcfiledir}/${rava_pc_to_prefix}
libdir=\${prefix}/${CMAKE_INSTALL_LIBDIR}
includedir=\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}

Name: rava-${name}
Description: Rava ${component} library (C++20)
Version: ${PROJECT_VERSION}
Requires: ${requires}
Cflags: -std=c++20 -I\${includedir}
Libs: -L\${libdir} -l${output} ${libs}
")
  install(FILES ${pc} DESTINATION ${rava_pc_dir} COMPONENT development)
endforeach()

# What tools/package reads: one version, and whether a host backend builds.
list(JOIN rava_exported " " rava_component_words)
file(WRITE ${PROJECT_BINARY_DIR}/rava-package.txt
  "version=${PROJECT_VERSION}\ncomponents=${rava_component_words}\n")
