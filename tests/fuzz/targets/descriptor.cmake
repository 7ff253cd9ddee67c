datalink_fuzz_target(descriptor SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_descriptor.cpp LIBS hostcore)
