datalink_fuzz_target(welldatabase SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_welldatabase.cpp LIBS welldatabase)
