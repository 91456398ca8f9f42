# velarion_add_library(NAME SOURCES... [LINK libs...])
# A subsystem library: its folder is the include root seen by dependants as <folder>/Header.h
# relative to the repository's app/ (or top) directory.
function(velarion_add_library NAME)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINK;PRIVATE_LINK" ${ARGN})
    add_library(${NAME} STATIC ${ARG_SOURCES})
    target_include_directories(${NAME} PUBLIC ${PROJECT_SOURCE_DIR}/app ${PROJECT_SOURCE_DIR})
    target_link_libraries(${NAME} PUBLIC ${ARG_LINK} PRIVATE ${ARG_PRIVATE_LINK})
endfunction()

# velarion_add_test_suite(NAME LABELS labels... SOURCES sources... [LINK libs...])
# One GoogleTest executable; every test in it is registered with CTest as "<first label>.<name>"
# and carries all the given labels, so `ctest -L <label>` runs one suite alone.
function(velarion_add_test_suite NAME)
    cmake_parse_arguments(ARG "" "" "LABELS;SOURCES;LINK" ${ARGN})
    list(GET ARG_LABELS 0 prefix)
    add_executable(${NAME} ${ARG_SOURCES})
    target_link_libraries(${NAME} PRIVATE velarion_testsupport velarion_test_hooks ${ARG_LINK})
    gtest_discover_tests(${NAME}
        TEST_PREFIX "${prefix}."
        PROPERTIES TIMEOUT 120
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60)
    # gtest_discover_tests flattens a list-valued LABELS property into separate arguments, so the
    # labels are applied by a second include script that reads the discovered names.
    set(properties "LABELS \"${ARG_LABELS}\"")
    if("x11" IN_LIST ARG_LABELS)
        # Suites that start private X servers with window managers disturb each other when
        # they run at the same time (windows that never map under load); run them one by one.
        string(APPEND properties " RESOURCE_LOCK x-server")
    endif()
    set(tests_file "${CMAKE_CURRENT_BINARY_DIR}/${NAME}[1]_tests.cmake")
    set(label_script "${CMAKE_CURRENT_BINARY_DIR}/${NAME}_labels.cmake")
    file(WRITE "${label_script}"
        "if(EXISTS \"${tests_file}\")\n"
        "  file(STRINGS \"${tests_file}\" lines REGEX \"^add_test\")\n"
        "  foreach(line IN LISTS lines)\n"
        "    if(line MATCHES \"^add_test\\\\(\\\\[=\\\\[([^]]+)\\\\]=\\\\]\")\n"
        "      set_tests_properties(\"\${CMAKE_MATCH_1}\" PROPERTIES ${properties})\n"
        "    endif()\n"
        "  endforeach()\n"
        "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${label_script}")
endfunction()
