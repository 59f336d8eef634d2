# infrabrick_add_test(NAME <target> LABEL <label> SOURCES <files...> LIBS <libs...> [UMOCKDEV])
# Builds one GoogleTest executable and registers its tests with CTest under
# the given label (unit, integration, peer, gui or dbus). UMOCKDEV: the tests
# run under umockdev-wrapper, for the emulated USB bus.
find_package(GTest REQUIRED)
include(GoogleTest)

function(infrabrick_add_test)
  cmake_parse_arguments(T "UMOCKDEV" "NAME;LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main Threads::Threads)
  # Each D-Bus test gets a session bus of its own: the emulator is the one
  # prefix CTest puts before every discovered test's command.
  if(T_LABEL STREQUAL "dbus")
    set_target_properties(${T_NAME} PROPERTIES CROSSCOMPILING_EMULATOR "dbus-run-session;--")
  elseif(T_UMOCKDEV)
    set_target_properties(${T_NAME} PROPERTIES CROSSCOMPILING_EMULATOR "umockdev-wrapper")
  endif()
  gtest_discover_tests(${T_NAME}
    PROPERTIES LABELS ${T_LABEL}
    DISCOVERY_TIMEOUT 60)
endfunction()

# infrabrick_add_benchmark(NAME <target> SOURCES <files...> LIBS <libs...> [OWN_MAIN])
# OWN_MAIN: the sources bring their own main.
function(infrabrick_add_benchmark)
  if(NOT INFRABRICK_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(B "OWN_MAIN" "NAME" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${B_NAME} ${B_SOURCES})
  if(B_OWN_MAIN)
    target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark Threads::Threads)
  else()
    target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark_main Threads::Threads)
  endif()
endfunction()
