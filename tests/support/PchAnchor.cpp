// The one source of the test programs' shared precompiled-header targets (tests/CMakeLists.txt).
