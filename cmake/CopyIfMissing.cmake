# Copies SRC to DST unless DST exists: the staged settings file is the user's once made.
if(NOT EXISTS "${DST}")
  file(COPY_FILE "${SRC}" "${DST}")
endif()
