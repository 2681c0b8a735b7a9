# Where cmake --install puts a plug-in: the user's plug-in folder when no prefix is given (hosts on
# Linux scan ~/.vst3 and ~/.vst), and <prefix>/lib/vst3 or <prefix>/lib/vst under an explicit
# --prefix (a package or a system-wide install). A prefix equal to the configured one counts as none.
#
# brisbleep_install_plugin(<component> <user-dir> <prefix-subdir> <file-or-directory>)
include_guard(GLOBAL)

function(brisbleep_install_plugin component user_dir prefix_subdir path)
    install(CODE "
        if(CMAKE_INSTALL_PREFIX STREQUAL \"${CMAKE_INSTALL_PREFIX}\")
            set(brisbleep_destination \"${user_dir}\")
        else()
            set(brisbleep_destination \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${prefix_subdir}\")
        endif()
        file(INSTALL DESTINATION \"\${brisbleep_destination}\" TYPE FILE USE_SOURCE_PERMISSIONS
             FILES \"${path}\")"
        COMPONENT ${component})
endfunction()
