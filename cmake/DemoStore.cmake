# wordloom_lay_demo_store(target): after each link of the target, lays the demo resource
# store (demo/store) beside its executable, but only where no store is yet, so a user's
# templates and libraries are never touched.
get_filename_component(WORDLOOM_DEMO_STORE_SOURCE "${CMAKE_CURRENT_LIST_DIR}/../demo/store" ABSOLUTE)
set(WORDLOOM_LAY_DEMO_STORE_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/lay_demo_store.cmake")

function(wordloom_lay_demo_store target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${WORDLOOM_DEMO_STORE_SOURCE}
            -DDEST=$<TARGET_FILE_DIR:${target}> -P ${WORDLOOM_LAY_DEMO_STORE_SCRIPT}
    VERBATIM)
endfunction()
