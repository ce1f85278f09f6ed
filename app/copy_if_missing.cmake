# Copies SOURCE to TARGET when SOURCE exists and TARGET does not.
if(EXISTS "${SOURCE}" AND NOT EXISTS "${TARGET}")
  file(COPY_FILE "${SOURCE}" "${TARGET}")
endif()
