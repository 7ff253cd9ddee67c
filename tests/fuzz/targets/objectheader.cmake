datalink_fuzz_target(objectheader SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_objectheader.cpp LIBS hostcore)
