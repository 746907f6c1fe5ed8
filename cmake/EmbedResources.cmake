# sleevit_embed_resources(<target> <folder>): every file in <folder> becomes a named
# byte array in the binary; the resource's name is the file name without extension
# (IDJ_SAMPLE_DVD_COVER.jpg -> "IDJ_SAMPLE_DVD_COVER"). Looked up with FindEmbeddedResource().
function(sleevit_embed_resources target folder)
  file(GLOB files CONFIGURE_DEPENDS ${folder}/*)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/EmbeddedResources.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DOUT=${out} "-DFILES=${files}" -P ${CMAKE_SOURCE_DIR}/cmake/GenerateResources.cmake
    DEPENDS ${files} ${CMAKE_SOURCE_DIR}/cmake/GenerateResources.cmake
    COMMENT "Embedding pictures from ${folder}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
