# The folders of platform/, one per Windows library (and one for the Linux
# services without a Windows counterpart), lowest first. A folder may include
# headers of the folders before it in this list and of none after it, so
# that the folders depend one way; configuring fails when one does not.
set(NOTIFIER_PLATFORM_FOLDERS
    kernel32 crt linux gdi32 imaging user32 ole shell version advpack dbghelp mfc riched advapi32)

function(notifier_check_platform_folders)
  set(allowed "")
  foreach(folder IN LISTS NOTIFIER_PLATFORM_FOLDERS)
    list(APPEND allowed ${folder})
    file(GLOB files ${PROJECT_SOURCE_DIR}/platform/${folder}/*.cpp ${PROJECT_SOURCE_DIR}/platform/${folder}/*.h)
    foreach(f IN LISTS files)
      file(STRINGS ${f} includes REGEX "^#include \"platform/")
      foreach(line IN LISTS includes)
        string(REGEX REPLACE "^#include \"platform/([^/\"]+)/.*" "\\1" target "${line}")
        if(NOT target IN_LIST allowed)
          file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${f})
          message(FATAL_ERROR "${rel}: '${line}' reaches up from platform/${folder}/ to platform/${target}/ "
                              "(folders may include only those before them in NOTIFIER_PLATFORM_FOLDERS)")
        endif()
      endforeach()
    endforeach()
  endforeach()
  # Every source file lives in one of the folders.
  file(GLOB stray ${PROJECT_SOURCE_DIR}/platform/*.cpp ${PROJECT_SOURCE_DIR}/platform/*.h)
  file(GLOB dirs LIST_DIRECTORIES true ${PROJECT_SOURCE_DIR}/platform/*)
  foreach(d IN LISTS dirs)
    get_filename_component(name ${d} NAME)
    if(IS_DIRECTORY ${d} AND NOT name IN_LIST NOTIFIER_PLATFORM_FOLDERS)
      list(APPEND stray ${d})
    endif()
  endforeach()
  if(stray)
    message(FATAL_ERROR "platform/ holds files or folders outside its library folders: ${stray}")
  endif()
endfunction()
