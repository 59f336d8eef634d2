# infrabrick_layer(<target> <folder>): gives a layer's library an include root
# of its own, holding a link to its folder alone, so that a source sees only
# the headers of its own layer and of the layers it links. An include that
# runs up a layer fails to build.
function(infrabrick_layer target folder)
  get_filename_component(name ${folder} NAME)
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${folder} ${root}/${name} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()
