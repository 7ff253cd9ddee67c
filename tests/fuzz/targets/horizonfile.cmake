datalink_fuzz_target(horizonfile SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_horizonfile.cpp LIBS zr3dobject)
