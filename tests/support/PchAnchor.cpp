// The one source of each folder's precompiled-header target (see tests/CMakeLists.txt).
