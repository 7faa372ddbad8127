# cmake -DSOURCE=demo/store -DDEST=folder -P lay_demo_store.cmake
# Copies the demo store into DEST when DEST holds no part of a store. Any one of the store's
# entries means a store (perhaps the user's own, perhaps half made) is there: then nothing
# is copied, so nothing of it can be overwritten.
if(NOT DEFINED SOURCE OR NOT DEFINED DEST)
  message(FATAL_ERROR "lay_demo_store.cmake needs -DSOURCE=... and -DDEST=...")
endif()
if(NOT IS_DIRECTORY "${SOURCE}")
  message(FATAL_ERROR "demo store not found: ${SOURCE}")
endif()

set(store_entries juzi.ini keyword.ini 模版 句子库 关键词库 同义词库)
foreach(entry IN LISTS store_entries)
  # IS_SYMLINK too: a dangling link still stands where the store would go.
  if(EXISTS "${DEST}/${entry}" OR IS_SYMLINK "${DEST}/${entry}")
    return()
  endif()
endforeach()

message(STATUS "Laying the demo store in ${DEST}")
file(MAKE_DIRECTORY "${DEST}")
foreach(entry IN LISTS store_entries)
  if(EXISTS "${SOURCE}/${entry}")
    # Source permissions are not kept: the laid store is the user's to edit.
    file(COPY "${SOURCE}/${entry}" DESTINATION "${DEST}"
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
         DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                               WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
