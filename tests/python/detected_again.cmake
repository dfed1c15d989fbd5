# A build tree configured while pybind11 is missing gains the Python module when it is there at
# the next configure: the detected default is not kept in the cache. Run with -P, given
# SOURCE, WORK (a scratch build folder) and PYTHON.
file(REMOVE_RECURSE "${WORK}")

function(configure expected)
  execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE}" -B "${WORK}" -DKALVANE_TESTS=OFF
                          "-DPython3_EXECUTABLE=${PYTHON}" ${ARGN}
                  RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(failed)
    message(FATAL_ERROR "configure ${ARGN} failed:\n${out}\n${err}")
  endif()
  if(NOT out MATCHES "${expected}")
    message(FATAL_ERROR "configure ${ARGN} did not say '${expected}':\n${out}")
  endif()
endfunction()

# A build tree whose cache holds the default detected by an older configure as an option.
file(WRITE "${WORK}/CMakeCache.txt"
     "//Build the Python module kalvane (needs pybind11, Python 3 headers and numpy)\nKALVANE_PYTHON:BOOL=OFF\n")
configure("The Python module kalvane is built for")
file(REMOVE_RECURSE "${WORK}")

# As scripts/run-example finds a machine before scripts/setup installed the module's packages.
configure("The Python module kalvane is left out: pybind11 not found" -DCMAKE_DISABLE_FIND_PACKAGE_pybind11=ON)
if(EXISTS "${WORK}/python/cmake_install.cmake")
  message(FATAL_ERROR "the module's build was generated without pybind11")
endif()
# As scripts/test finds it afterwards.
configure("The Python module kalvane is built for" -UCMAKE_DISABLE_FIND_PACKAGE_pybind11)
if(NOT EXISTS "${WORK}/python/cmake_install.cmake")
  message(FATAL_ERROR "the module's build was not generated once pybind11 was there")
endif()
# An explicit choice stays.
configure("The Python module kalvane is left out: KALVANE_PYTHON=OFF" -DKALVANE_PYTHON=OFF)
configure("The Python module kalvane is left out: KALVANE_PYTHON=OFF")
file(REMOVE_RECURSE "${WORK}")
