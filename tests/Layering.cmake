# The build itself keeps includes pointing down the order: a library that
# includes a header of one built after it does not compile. Each probe is a
# one-line source compiled as part of a library's users (never built with
# the rest); the test builds it and looks for the compiler's "not found" on
# that header. A probe of an allowed include shows the probes can compile.
set(RS_PROBE_DIR ${CMAKE_CURRENT_BINARY_DIR}/layering-probes)

function(rs_layering_probe library header expect)
  string(MAKE_C_IDENTIFIER "${library}_${header}" name)
  set(source ${RS_PROBE_DIR}/${name}.cpp)
  file(WRITE ${source}.in "#include \"${header}\"\n")
  configure_file(${source}.in ${source} COPYONLY)
  add_library(probe_${name} OBJECT EXCLUDE_FROM_ALL ${source})
  target_link_libraries(probe_${name} PRIVATE ${library})
  add_test(NAME layering.${library}.${header} COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target
                                                      probe_${name})
  # One build at a time in the build folder.
  set_tests_properties(layering.${library}.${header} PROPERTIES RESOURCE_LOCK build_folder)
  if(expect STREQUAL "fails")
    string(REGEX REPLACE "([.+])" "\\\\\\1" pattern "${header}")
    set_tests_properties(layering.${library}.${header}
                         PROPERTIES PASS_REGULAR_EXPRESSION "${pattern}(: No such file|' file not found)")
  endif()
endfunction()

rs_layering_probe(platform core/Log.h fails)
rs_layering_probe(core Render/RenderObject.h fails)
rs_layering_probe(core physics/PhysicData.h fails)
rs_layering_probe(launcher Render/PRender.h fails)
rs_layering_probe(Render physics/PhysicData.h fails)
rs_layering_probe(Render DynamicSky/Skyscape.h fails)
rs_layering_probe(physics Sound/SoundManager.h fails)
rs_layering_probe(Sound interface/Interface.h fails)
rs_layering_probe(interface game/Level.h fails)
rs_layering_probe(game script/ScriptHost.h fails)
rs_layering_probe(script app/GameHost.h fails)
rs_layering_probe(game physics/PhysicData.h compiles)
rs_layering_probe(DynamicSky Render/PRender.h compiles)
