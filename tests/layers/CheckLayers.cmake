# Checks the include lines of the logic folders: none may include a Qt Widgets header, and
# none may include anything from the window (src/window and src/views/widgets).
#   cmake -DSOURCE_DIR=<dir holding src/> -DWIDGETS_INCLUDE_DIR=<.../QtWidgets>
#         [-DEXPECT=<file: include|...>] -P CheckLayers.cmake
# Without EXPECT the check fails on any violation; with EXPECT it fails unless exactly the
# listed violations are found (used to check the check itself on a sample tree).

cmake_policy(VERSION 3.22)

# Folder -> folders it must not include from. No logic folder has an exception: what the
# session, the command line or the recorder need of the window's rules lives in rules/.
set(window_folders window views/widgets)
set(forbidden_model ${window_folders})
set(forbidden_protocol ${window_folders})
set(forbidden_link ${window_folders})
set(forbidden_sim ${window_folders})
# The rules sit below the session and everything that uses it.
set(forbidden_rules ${window_folders} session record cli views)
set(forbidden_session ${window_folders})
# The recording store and the command line use the session, never the views or the window.
set(forbidden_record ${window_folders} views)
set(forbidden_cli ${window_folders} views)
# The views' history; its windows (views/widgets) are window code and not checked.
set(forbidden_views ${window_folders})
set(skipped_views widgets)
set(checked_folders model protocol link sim rules session record cli views)

# Qt Widgets class headers: every extension-less header of the installed QtWidgets module
# (QWidget, QLabel, QMainWindow, ...), with a few well-known names in case it is not found.
set(widget_headers QWidget QMainWindow QLabel QPushButton QCheckBox QRadioButton QLineEdit QComboBox
    QGroupBox QMenu QMenuBar QPlainTextEdit QApplication QMessageBox QAbstractButton QLayout)
if(WIDGETS_INCLUDE_DIR AND IS_DIRECTORY "${WIDGETS_INCLUDE_DIR}")
  file(GLOB installed RELATIVE "${WIDGETS_INCLUDE_DIR}" "${WIDGETS_INCLUDE_DIR}/Q*")
  foreach(h ${installed})
    if(NOT h MATCHES "\\.")
      list(APPEND widget_headers ${h})
    endif()
  endforeach()
endif()
list(REMOVE_DUPLICATES widget_headers)

set(violations)
foreach(folder ${checked_folders})
  file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/src/${folder}/*.h"
       "${SOURCE_DIR}/src/${folder}/*.hpp" "${SOURCE_DIR}/src/${folder}/*.cpp")
  foreach(skipped ${skipped_${folder}})
    list(FILTER files EXCLUDE REGEX "^src/${folder}/${skipped}/")
  endforeach()
  list(SORT files)
  foreach(file ${files})
    file(STRINGS "${SOURCE_DIR}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*" "\\1" inc "${line}")
      string(REGEX REPLACE "^(\\.\\./)+" "" rel "${inc}")
      set(bad FALSE)
      if(rel MATCHES "^QtWidgets(/|$)")
        set(bad TRUE)
      elseif(rel IN_LIST widget_headers)
        set(bad TRUE)
      else()
        foreach(other ${forbidden_${folder}})
          if(rel MATCHES "^(src/)?${other}/")
            set(bad TRUE)
          endif()
        endforeach()
      endif()
      if(bad)
        list(APPEND violations "${file}: ${inc}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(DEFINED EXPECT)
  string(REPLACE "|" ";" EXPECT "${EXPECT}")
  list(SORT EXPECT)
  list(SORT violations)
  if(NOT violations STREQUAL EXPECT)
    string(REPLACE ";" "\n  " found "${violations}")
    string(REPLACE ";" "\n  " wanted "${EXPECT}")
    message(FATAL_ERROR "layer check found:\n  ${found}\nexpected:\n  ${wanted}")
  endif()
  list(LENGTH violations n)
  message(STATUS "layer check found the ${n} expected violations")
elseif(violations)
  string(REPLACE ";" "\n  " found "${violations}")
  message(FATAL_ERROR "window code included from a logic folder:\n  ${found}")
else()
  message(STATUS "layers: no logic folder includes window code")
endif()
