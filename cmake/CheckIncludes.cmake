# The include direction of the core, checked on the sources:
#   base < image < graphics < devices < model < compiler
# each library sees only itself and those before it; runtime/ and link/ see
# base/ and themselves. No core library includes a program's folder (app,
# cli, tools, bench, fuzz, tests). Run as
#   cmake -DROOT=<source dir> -P CheckIncludes.cmake
# and it fails, naming every offending line, when a lower library includes a
# higher one.
if(NOT ROOT)
  message(FATAL_ERROR "CheckIncludes: ROOT not set")
endif()

set(ranked base image graphics devices model compiler)
set(programs app cli tools bench fuzz tests)
set(folders ${ranked} runtime link ${programs})

set(allowed_base base)
set(allowed_image base image)
set(allowed_graphics base image graphics)
set(allowed_devices base image graphics devices)
set(allowed_model base image graphics devices model)
set(allowed_compiler base image graphics devices model compiler)
set(allowed_runtime base runtime)
set(allowed_link base link)

set(failures "")
set(checked 0)
foreach(lib ${ranked} runtime link)
  file(GLOB_RECURSE sources "${ROOT}/${lib}/*.h" "${ROOT}/${lib}/*.cpp" "${ROOT}/${lib}/*.c")
  foreach(src ${sources})
    math(EXPR checked "${checked} + 1")
    file(STRINGS "${src}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    file(RELATIVE_PATH rel "${ROOT}" "${src}")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" target "${line}")
      string(REGEX MATCH "^[^/]+" top "${target}")
      if(NOT target MATCHES "/")
        continue()  # a header beside the file itself
      endif()
      list(FIND folders "${top}" known)
      if(known EQUAL -1)
        continue()  # a system or third-party header
      endif()
      list(FIND allowed_${lib} "${top}" ok)
      if(ok EQUAL -1)
        string(APPEND failures "  ${rel} includes ${target}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "CheckIncludes: no sources found under ${ROOT}")
endif()
if(failures)
  message(FATAL_ERROR "Include direction broken (a lower library includes a higher one):\n${failures}")
endif()
message(STATUS "Include direction holds in ${checked} files")
