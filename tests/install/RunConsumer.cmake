# Installs the build into a scratch prefix, then configures, builds and runs the
# consumer project of this folder against it, and runs the installed tool once
# with KTW_home at the installed package data.
#   cmake -DTESRA_BUILD_DIR=<build> -DSCRATCH=<dir> -DCONSUMER_SOURCE=<this folder>
#         -DCXX=<compiler> [-DCONSUMER_FLAGS=<flags>] -DEXAMPLE=<a dictionary>
#         -P RunConsumer.cmake
foreach(var TESRA_BUILD_DIR SCRATCH CONSUMER_SOURCE CXX EXAMPLE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "RunConsumer.cmake needs -D${var}=...")
  endif()
endforeach()

function(run_step what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}")
  endif()
  set(step_output "${out}" PARENT_SCOPE)
endfunction()

set(prefix ${SCRATCH}/prefix)
set(build ${SCRATCH}/consumer)
file(REMOVE_RECURSE ${SCRATCH})

run_step("install" ${CMAKE_COMMAND} --install ${TESRA_BUILD_DIR} --prefix ${prefix})
foreach(installed bin/tesra-rovidev include/tesra/cif/CifFile.h
                  include/tesra/foundation/Exceptions.h include/tesra/table/ISTable.h
                  include/tesra/validate/CifParentChild.h
                  share/tesra/autoFARNIX/tesra-data/ccp4_atomtype_hybridisation.dat
                  share/tesra/autoFARNIX/tesra-data/tesra-exceptions.dat)
  if(NOT EXISTS ${prefix}/${installed})
    message(FATAL_ERROR "not installed: ${installed}")
  endif()
endforeach()

# Every installed header finds the project headers it includes installed too;
# the checks' own headers stay out.
file(GLOB_RECURSE headers RELATIVE ${prefix}/include/tesra ${prefix}/include/tesra/*.h)
foreach(header ${headers})
  file(STRINGS ${prefix}/include/tesra/${header} includes REGEX "^#include \"")
  foreach(line ${includes})
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
    if(NOT EXISTS ${prefix}/include/tesra/${included})
      message(FATAL_ERROR "installed ${header} includes ${included}, which is not installed")
    endif()
  endforeach()
endforeach()
foreach(internal validate/TextIds.h validate/SlotHash.h validate/CheckDictionary.h)
  if(EXISTS ${prefix}/include/tesra/${internal})
    message(FATAL_ERROR "installed: ${internal}, a header of the checks' own")
  endif()
endforeach()

run_step("configure the consumer" ${CMAKE_COMMAND} -S ${CONSUMER_SOURCE} -B ${build}
         -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release
         "-DCMAKE_CXX_FLAGS=${CONSUMER_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${CONSUMER_FLAGS}")
run_step("build the consumer" ${CMAKE_COMMAND} --build ${build})
run_step("run the consumer" ${build}/consumer)
message("${step_output}")

# The installed tool finds its package data below the installed share/tesra.
run_step("run the installed tool" ${CMAKE_COMMAND} -E env KTW_home=${prefix}/share/tesra
         --unset=TESRA_EXCEPTION_DICTIONARY
         ${prefix}/bin/tesra-rovidev -silent override ${EXAMPLE} ${SCRATCH}/override.cif)
if(NOT EXISTS ${SCRATCH}/override.cif)
  message(FATAL_ERROR "the installed tool wrote no ${SCRATCH}/override.cif")
endif()

file(REMOVE_RECURSE ${SCRATCH})
