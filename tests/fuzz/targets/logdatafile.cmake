datalink_fuzz_target(logdatafile SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_logdatafile.cpp LIBS welldatabase)
