# The project-list reader of the exchange window, compiled on its own (it needs
# only the XML reader and the event bus, not the rest of the window).
datalink_fuzz_target(projectlist SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_projectlist.cpp
  ${PROJECT_SOURCE_DIR}/openworks/src/zrprojectlist.cpp LIBS hostxml eventbus Qt5::Xml)
