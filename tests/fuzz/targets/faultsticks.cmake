if(NOT DATALINK_REAL_FAULTS)
  datalink_fuzz_target(faultsticks SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_faultsticks.cpp LIBS faults)
endif()
