# Compiler settings every target of the project shares, and the source-globbing helper.

add_library(pm_options INTERFACE)
target_include_directories(pm_options INTERFACE ${CMAKE_SOURCE_DIR})
target_compile_options(pm_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Wunused -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
if(PM_WERROR)
    target_compile_options(pm_options INTERFACE -Werror)
endif()
if(WIN32)
    # Unicode entry points and the Win32 API level of the oldest supported system (Vista).
    target_compile_definitions(pm_options INTERFACE UNICODE _UNICODE _WIN32_WINNT=0x0600 WINVER=0x0600
                               NOMINMAX WIN32_LEAN_AND_MEAN)
endif()
if(PM_SANITIZE)
    target_compile_options(pm_options INTERFACE -fsanitize=${PM_SANITIZE} -fno-omit-frame-pointer
                           -fno-sanitize-recover=all)
    target_link_options(pm_options INTERFACE -fsanitize=${PM_SANITIZE})
endif()
if(PM_FUZZ)
    target_compile_options(pm_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined)
    target_link_options(pm_options INTERFACE -fsanitize=address,undefined)
endif()

# pm_glob(VAR dir...) collects the .cpp files directly in each folder.
function(pm_glob out)
    set(files)
    foreach(dir IN LISTS ARGN)
        file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
        list(APPEND files ${found})
    endforeach()
    set(${out} ${files} PARENT_SCOPE)
endfunction()
