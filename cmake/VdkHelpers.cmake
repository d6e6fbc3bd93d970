# vdk_add_library(NAME SOURCES... [LINKS libs...])
# A core library: links QtCore and the core libraries it names, never QtWidgets.
function(vdk_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
    add_library(vdk_${name} STATIC ${ARG_SOURCES})
    target_include_directories(vdk_${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/..)
    target_link_libraries(vdk_${name} PUBLIC Qt6::Core ${ARG_LINKS})
    set_property(TARGET vdk_${name} PROPERTY VDK_CORE ON)
endfunction()

# Core libraries must stay GUI-free: refuse a link to Qt Widgets or Gui.
function(vdk_check_core_links)
    get_property(targets DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(t IN LISTS targets)
        get_target_property(core ${t} VDK_CORE)
        if(core)
            get_target_property(libs ${t} LINK_LIBRARIES)
            foreach(l IN LISTS libs)
                if(l MATCHES "Qt6::(Widgets|Gui|PrintSupport|Charts)")
                    message(FATAL_ERROR "core library ${t} must not link ${l}")
                endif()
            endforeach()
        endif()
    endforeach()
endfunction()

# vdk_add_test(NAME SOURCES... LINKS libs...)
# One small Qt Test executable per feature, run by CTest on the offscreen platform.
function(vdk_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
    add_executable(test_${name} ${ARG_SOURCES})
    target_link_libraries(test_${name} PRIVATE Qt6::Test vdk_testsupport ${ARG_LINKS})
    target_compile_definitions(test_${name} PRIVATE
        VDK_SHARE_DIR="${PROJECT_SOURCE_DIR}/share"
        VDK_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures")
    add_test(NAME ${name} COMMAND test_${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
