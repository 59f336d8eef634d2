# infrabrick_layer(<target> <folder> [<include path>]): gives a layer's library
# an include root of its own, holding a link to its folder alone (under the
# folder's name, or under the include path given), so that a source sees only
# the headers of its own layer and of the layers it links. An include that
# runs up a layer fails to build.
function(infrabrick_layer target folder)
  get_filename_component(name ${folder} NAME)
  set(path ${name})
  if(ARGC GREATER 2)
    set(path ${ARGV2})
  endif()
  set(root ${CMAKE_BINARY_DIR}/layers/${target})
  get_filename_component(parent ${root}/${path} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${folder} ${root}/${path} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
endfunction()
