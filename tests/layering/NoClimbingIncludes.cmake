# Run with cmake -P. Fails when a source of the program's or the libraries' layers includes a file
# by a path that climbs out of its folder ("../"): such an include is found beside the including
# file, past every include root, so it could reach a layer above. Tests and benchmarks may name
# their own helpers that way and are not searched.
#   -DKV_SOURCE_DIR=<repository>  -DKV_LAYER_FOLDERS=<folder;folder;...>
set(found "")
foreach(folder IN LISTS KV_LAYER_FOLDERS)
  # A check over the tree as it stands, not a list of sources to build.
  file(GLOB_RECURSE files ${KV_SOURCE_DIR}/${folder}/*.h ${KV_SOURCE_DIR}/${folder}/*.cpp
       ${KV_SOURCE_DIR}/${folder}/*.c)
  if(NOT files)
    message(FATAL_ERROR "no sources under ${KV_SOURCE_DIR}/${folder}")
  endif()
  foreach(file IN LISTS files)
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*\\.\\./")
    foreach(line IN LISTS lines)
      file(RELATIVE_PATH name ${KV_SOURCE_DIR} ${file})
      string(APPEND found "  ${name}: ${line}\n")
    endforeach()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "includes that climb out of their folder:\n${found}")
endif()
