# Helpers shared by the per-layer CMake files.
#
# Sources are collected per folder so that adding a unit means adding its
# .h/.cpp pair and nothing else; CONFIGURE_DEPENDS makes the build notice new
# files without a manual re-configure.

# pellar_glob_sources(<out-var> <dir>...): every .cpp below the given folders.
function(pellar_glob_sources out)
  set(all "")
  foreach(dir IN LISTS ARGN)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp")
    list(APPEND all ${found})
  endforeach()
  set(${out} ${all} PARENT_SCOPE)
endfunction()

# pellar_add_test_dir(<dir> <libs>...): one GoogleTest executable per
# *_test.cpp file in <dir>, each registered with CTest. One executable per
# file keeps a broken or hanging unit from hiding the others.
function(pellar_add_test_dir dir)
  file(GLOB tests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*_test.cpp")
  foreach(src IN LISTS tests)
    get_filename_component(name "${src}" NAME_WE)
    string(REPLACE "/" "_" prefix "${dir}")
    set(target "${prefix}_${name}")
    add_executable(${target} ${src})
    target_include_directories(${target} PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}")
    target_link_libraries(${target} PRIVATE ${ARGN} pellar_test_support pellar_test_main)
    # A watchdog for every test: one that never finishes fails instead of
    # hanging CI.
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
  endforeach()
endfunction()
