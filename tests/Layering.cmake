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
rs_layering_probe(Sound Render/PRender.h fails)
rs_layering_probe(Sound physics/PhysicData.h fails)
rs_layering_probe(interface game/Level.h fails)
rs_layering_probe(game script/ScriptHost.h fails)
rs_layering_probe(script app/GameHost.h fails)
rs_layering_probe(game physics/PhysicData.h compiles)
rs_layering_probe(DynamicSky Render/PRender.h compiles)

# Links point down the order as well. Each library, every object of it
# whether or not a program would take it, links into a program with what
# it names and nothing more: a call up the order stays undefined and the
# link fails. Then a call of a physics function from a program that links
# only Render shows such a link does fail.
function(rs_link_probe name source libraries expect)
  set(file ${RS_PROBE_DIR}/link_${name}.cpp)
  file(WRITE ${file}.in "${source}")
  configure_file(${file}.in ${file} COPYONLY)
  add_executable(linkprobe_${name} EXCLUDE_FROM_ALL ${file})
  target_link_libraries(linkprobe_${name} PRIVATE ${libraries})
  add_test(NAME layering.link.${name} COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target
                                              linkprobe_${name})
  set_tests_properties(layering.link.${name} PROPERTIES RESOURCE_LOCK build_folder)
  if(NOT expect STREQUAL "links")
    set_tests_properties(layering.link.${name} PROPERTIES PASS_REGULAR_EXPRESSION "undefined reference to `${expect}")
  endif()
endfunction()

foreach(library platform core launcher Render DynamicSky physics Sound interface game script)
  rs_link_probe(${library} "int main() { return 0; }\n" "$<LINK_LIBRARY:WHOLE_ARCHIVE,${library}>" links)
endforeach()
set(RS_CALLS_PHYSICS "void SetImpactSound(void (*)());\nint main() { SetImpactSound(nullptr); }\n")
rs_link_probe(Render_calls_physics "${RS_CALLS_PHYSICS}" Render "SetImpactSound")
rs_link_probe(physics_calls_physics "${RS_CALLS_PHYSICS}" physics links)
