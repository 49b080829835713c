# korva_add_test(NAME <name> LABEL unit|integration|e2e SOURCES <files...>
#                [BUSES] [TIMEOUT <seconds>] [ENVIRONMENT <VAR=value...>])
#
# One QtTest program per call. BUSES runs it under tests/with-buses: private
# system bus (with the daemon's real policy), private session bus, Xvfb and a
# fresh HOME/XDG tree. Without it the test runs on the offscreen platform.
function(korva_add_test)
    cmake_parse_arguments(T "BUSES" "NAME;LABEL;TIMEOUT" "SOURCES;ENVIRONMENT" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE korva korva_testcommon Qt6::Test)
    add_dependencies(${T_NAME} korvad)
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KORVA_TEST_BINDIR})
    if(T_BUSES)
        add_test(NAME ${T_NAME}
            COMMAND ${PROJECT_SOURCE_DIR}/tests/with-buses $<TARGET_FILE:${T_NAME}>)
    else()
        add_test(NAME ${T_NAME} COMMAND ${T_NAME})
        list(APPEND T_ENVIRONMENT QT_QPA_PLATFORM=offscreen)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES
        LABELS ${T_LABEL}
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "KORVAD_BINARY=$<TARGET_FILE:korvad>;KORVA_SOURCE_DIR=${PROJECT_SOURCE_DIR};KORVA_BUILD_DIR=${PROJECT_BINARY_DIR};${T_ENVIRONMENT}")
endfunction()
