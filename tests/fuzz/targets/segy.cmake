datalink_fuzz_target(segy SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_segy.cpp LIBS owdevkit)
