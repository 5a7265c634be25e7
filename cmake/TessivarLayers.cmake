# The program's folders are layers, lowest first. A layer's files include only their own layer and
# the layers below it, and the build holds them to it: each layer's targets see an include root of
# their own (build/layers/LAYER) that holds only those folders, so an include that reaches up fails
# to compile. Each layer has a logic library (the folder's top-level .cpp files, no QtWidgets) and
# a windows library (its ui/ subfolder); each links only the layers below.
#
# A feature layer names several peer folders that see the layers below but not each other.

# tessivar_add_layer(NAME FOLDERS folder... BELOW layer...)
function(tessivar_add_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "FOLDERS;BELOW")
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root})
  set(visible ${arg_FOLDERS})
  foreach(below IN LISTS arg_BELOW)
    get_property(below_folders GLOBAL PROPERTY TESSIVAR_LAYER_FOLDERS_${below})
    list(APPEND visible ${below_folders})
  endforeach()
  list(REMOVE_DUPLICATES visible)
  foreach(folder IN LISTS visible)
    if(NOT EXISTS ${CMAKE_SOURCE_DIR}/${folder})
      file(MAKE_DIRECTORY ${CMAKE_SOURCE_DIR}/${folder})
    endif()
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endforeach()
  set_property(GLOBAL PROPERTY TESSIVAR_LAYER_FOLDERS_${name} ${visible})
  set_property(GLOBAL PROPERTY TESSIVAR_LAYER_ROOT_${name} ${root})

  tessivar_collect_sources(core gui ${arg_FOLDERS})
  set(core_below "")
  set(gui_below "")
  foreach(below IN LISTS arg_BELOW)
    list(APPEND core_below tessivar_${below})
    list(APPEND gui_below tessivar_${below}_ui)
  endforeach()

  tessivar_layer_library(tessivar_${name} "${core}" ${root}
    tessivar_options Qt6::Core Qt6::Gui Qt6::Network QCoro6::Core QCoro6::Network ${core_below})
  tessivar_layer_library(tessivar_${name}_ui "${gui}" ${root}
    tessivar_${name} Qt6::Widgets ${gui_below})
endfunction()

# A static library of the given sources, or an interface library while the layer has none yet.
function(tessivar_layer_library target sources root)
  if(sources)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PRIVATE ${root})
    target_link_libraries(${target} PUBLIC ${ARGN})
  else()
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE ${ARGN})
  endif()
endfunction()

# The include root of a layer, for targets (tests, benchmarks) that use it from outside.
function(tessivar_layer_root out name)
  get_property(root GLOBAL PROPERTY TESSIVAR_LAYER_ROOT_${name})
  set(${out} ${root} PARENT_SCOPE)
endfunction()
