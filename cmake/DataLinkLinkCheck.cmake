# The library graph check: the exchange core, the headless front end and the
# host store must not reach Qt Widgets, and the host store must not reach the
# OpenWorks DevKit. At configure time the transitive link closure of the
# checked targets is written to linkgraph.txt; the CTest test "linkgraph"
# reads it (and runs ldd on the headless executable) and fails on a
# forbidden dependency.

# The targets `target` links, directly or through others (generator
# expressions such as $<LINK_ONLY:x> are unwrapped).
function(datalink_link_closure target out)
  set(seen "")
  set(pending ${target})
  while(pending)
    list(POP_FRONT pending current)
    if(current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${current})
    if(NOT TARGET ${current})
      continue()
    endif()
    get_target_property(type ${current} TYPE)
    set(direct "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(linked ${current} LINK_LIBRARIES)
      if(linked)
        list(APPEND direct ${linked})
      endif()
    endif()
    get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
    if(interface)
      list(APPEND direct ${interface})
    endif()
    foreach(item ${direct})
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
      if(item MATCHES "^\\$<")
        continue()
      endif()
      list(APPEND pending ${item})
    endforeach()
  endwhile()
  list(REMOVE_ITEM seen ${target})
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# Writes "<target>: <closure>" lines for every target named, into `file`.
function(datalink_write_link_graph file)
  set(lines "")
  foreach(target ${ARGN})
    if(TARGET ${target})
      datalink_link_closure(${target} closure)
      string(REPLACE ";" " " closure "${closure}")
      string(APPEND lines "${target}: ${closure}\n")
    endif()
  endforeach()
  file(WRITE ${file} "${lines}")
endfunction()
