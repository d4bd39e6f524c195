# 32-bit Linux programs run natively where the kernel can run them, and under
# qemu-i386 where it cannot. Decided once, by running a tiny 32-bit program.
set(_probe_dir ${CMAKE_BINARY_DIR}/i386-probe)
file(WRITE ${_probe_dir}/probe.cpp "int main() { return sizeof(void*) == 4 ? 0 : 1; }\n")
try_compile(_probe_built ${_probe_dir}/build ${_probe_dir}/probe.cpp
  COPY_FILE ${_probe_dir}/probe)
if(NOT _probe_built)
  message(FATAL_ERROR "cannot build a 32-bit program: is g++-multilib installed?")
endif()
execute_process(COMMAND ${_probe_dir}/probe RESULT_VARIABLE _probe_native
  OUTPUT_QUIET ERROR_QUIET)
if(_probe_native EQUAL 0)
  message(STATUS "32-bit programs run natively")
else()
  find_program(DCS_QEMU_I386 qemu-i386 REQUIRED)
  execute_process(COMMAND ${DCS_QEMU_I386} ${_probe_dir}/probe RESULT_VARIABLE _probe_qemu
    OUTPUT_QUIET ERROR_QUIET)
  if(NOT _probe_qemu EQUAL 0)
    message(FATAL_ERROR "32-bit programs run neither natively nor under ${DCS_QEMU_I386}")
  endif()
  message(STATUS "32-bit programs run under ${DCS_QEMU_I386}")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DCS_QEMU_I386})
endif()
