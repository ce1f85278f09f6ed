# cmake -DSRC=... -DDST=... -P copy_if_missing.cmake
# The camera-type table next to the program is the user's: it is never overwritten.
if(NOT EXISTS "${DST}")
  configure_file("${SRC}" "${DST}" COPYONLY)
endif()
