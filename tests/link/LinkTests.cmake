# Link tests that need helpers of their own: a stand-in D2XX library, and the two programs
# the end-to-end test starts.

add_library(fake_ftd2xx SHARED ${CMAKE_CURRENT_LIST_DIR}/fake_ftd2xx/fake_ftd2xx.cpp)
add_library(fake_ftd2xx_noread SHARED ${CMAKE_CURRENT_LIST_DIR}/fake_ftd2xx/fake_ftd2xx.cpp)
target_compile_definitions(fake_ftd2xx_noread PRIVATE FAKE_WITHOUT_READ=1)
foreach(lib fake_ftd2xx fake_ftd2xx_noread)
  set_target_properties(${lib} PROPERTIES CXX_VISIBILITY_PRESET hidden)
endforeach()

if(TARGET tst_d2xxlink)
  target_compile_definitions(tst_d2xxlink PRIVATE
    ZMX_FAKE_FTD2XX="$<TARGET_FILE:fake_ftd2xx>"
    ZMX_FAKE_FTD2XX_NOREAD="$<TARGET_FILE:fake_ftd2xx_noread>"
    ZMX_NOT_A_LIBRARY="${CMAKE_SOURCE_DIR}/README.md")
  add_dependencies(tst_d2xxlink fake_ftd2xx fake_ftd2xx_noread)
endif()

if(TARGET tst_endtoend)
  foreach(prog zmx7730-gui zmx7730-sim)
    if(TARGET ${prog})
      add_dependencies(tst_endtoend ${prog})
    endif()
  endforeach()
endif()

if(TARGET tst_reconnect AND TARGET zmx7730-sim)
  add_dependencies(tst_reconnect zmx7730-sim)
endif()
