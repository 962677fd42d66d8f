# The stack session without a window.
# The strict-wire test drives the libftdi1 backend against the stand-in library too
# (tests/link), so its program links the stand-in; the other tests here touch no libftdi1.
zmx_add_test_program(session_tests zmx_testlogic tst_reconnectwatch.cpp tst_stacksession.cpp tst_strictwire.cpp)
add_dependencies(session_tests zmx7730-sim)
if(TARGET fake_libftdi)
  target_link_libraries(session_tests PRIVATE fake_libftdi)
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/tst_strictwire.cpp PROPERTIES COMPILE_DEFINITIONS ZMX_WITH_FAKE_FTDI=1)
endif()
