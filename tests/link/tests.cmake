# The controller link, its backends, discovery, link texts, link failures and reconnection.
# The D2XX backend is tested against a stand-in library (and one without a read function),
# loaded at run time as the real one would be.
# The end-to-end test starts the two programs.
zmx_add_test_program(link_tests zmx_testlogic
  tst_controllerlink.cpp tst_d2xxlink.cpp tst_endtoend.cpp tst_linkdiscovery.cpp tst_linkfailure.cpp
  tst_linktext.cpp tst_readdeadline.cpp tst_seriallink.cpp)

add_library(fake_ftd2xx SHARED ${CMAKE_CURRENT_LIST_DIR}/fake_ftd2xx/fake_ftd2xx.cpp)
add_library(fake_ftd2xx_noread SHARED ${CMAKE_CURRENT_LIST_DIR}/fake_ftd2xx/fake_ftd2xx.cpp)
target_compile_definitions(fake_ftd2xx_noread PRIVATE FAKE_WITHOUT_READ=1)
set_target_properties(fake_ftd2xx fake_ftd2xx_noread PROPERTIES CXX_VISIBILITY_PRESET hidden)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/tst_d2xxlink.cpp PROPERTIES COMPILE_DEFINITIONS
  "ZMX_FAKE_FTD2XX=\"$<TARGET_FILE:fake_ftd2xx>\";ZMX_FAKE_FTD2XX_NOREAD=\"$<TARGET_FILE:fake_ftd2xx_noread>\";ZMX_NOT_A_LIBRARY=\"${CMAKE_SOURCE_DIR}/README.md\"")
add_dependencies(link_tests fake_ftd2xx fake_ftd2xx_noread zmx7730-gui zmx7730-sim)

# The reconnect test unplugs and re-plugs zmx7730-sim's controller under the window.
zmx_add_test_program(link_window_tests zmx_testwindow tst_reconnect.cpp)
add_dependencies(link_window_tests zmx7730-sim)

# The libftdi1 backend against a stand-in library on the simulator's wire model: the
# stand-in's ftdi_* and libusb_* definitions, linked into the test program, take the place
# of libftdi1.so's for the link code in zmx_logic. Its own program, so that the other link
# tests meet the real libftdi1.
if(LIBFTDI_FOUND)
  add_library(fake_libftdi OBJECT ${CMAKE_CURRENT_LIST_DIR}/fake_libftdi/FakeFtdi.cpp
                                  ${CMAKE_CURRENT_LIST_DIR}/fake_libftdi/FakeFtdi.h)
  target_link_libraries(fake_libftdi PUBLIC zmx_logic)
  zmx_add_test_program(ftdilink_tests zmx_testlogic tst_ftdilink.cpp)
  target_link_libraries(ftdilink_tests PRIVATE fake_libftdi)
endif()
