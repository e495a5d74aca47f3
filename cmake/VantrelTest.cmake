# vantrel_add_test(NAME SOURCES files... LIBS libs... [QT | OWN_MAIN] [RESOURCE_LOCK name])
# One GoogleTest program; QT gives it a QApplication (offscreen) through the shared main,
# OWN_MAIN leaves main to the sources. RESOURCE_LOCK keeps its tests from running at the same
# time as any other test that names the same resource.
function(vantrel_add_test name)
  cmake_parse_arguments(T "QT;OWN_MAIN" "RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_OWN_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock ${T_LIBS})
  elseif(T_QT)
    target_link_libraries(${name} PRIVATE vantrel_test_support_qt GTest::gtest GTest::gmock ${T_LIBS})
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock ${T_LIBS})
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set(lock)
  if(T_RESOURCE_LOCK)
    set(lock RESOURCE_LOCK ${T_RESOURCE_LOCK})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_JOYSTICK_DISABLE_UDEV=1" TIMEOUT 120 ${lock})
endfunction()
