# The project-list reader of the exchange window (in the widget-free exchange core).
datalink_fuzz_target(projectlist SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_projectlist.cpp LIBS openworkscore)
