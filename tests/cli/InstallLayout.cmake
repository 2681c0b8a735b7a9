# cmake --install with a prefix puts everything under it: the plug-ins in lib/vst3 and lib/vst, the
# renderer in bin, the licence and README in share/doc/brisbleep; the VST3 bundle carries its module
# information and the editor snapshot. Run as: cmake -DBUILD_DIR=... -DPREFIX=... -P InstallLayout.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX} RESULT_VARIABLE result
                OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install --prefix failed: ${result}")
endif()
set(bundle ${PREFIX}/lib/vst3/Brisbleep.vst3/Contents)
foreach(file
        ${bundle}/x86_64-linux/Brisbleep.so
        ${bundle}/Resources/moduleinfo.json
        ${bundle}/Resources/Snapshots/0DE7AEF2DE004E4F516F727673706770_snapshot.png
        ${PREFIX}/lib/vst/Brisbleep.so
        ${PREFIX}/bin/brisbleep-render
        ${PREFIX}/share/doc/brisbleep/COPYING
        ${PREFIX}/share/doc/brisbleep/README.md)
    if(NOT EXISTS ${file})
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()
# The module information names the class, its version and the snapshot.
file(READ ${bundle}/Resources/moduleinfo.json info)
foreach(text "\"CID\": \"0DE7AEF2DE004E4F516F727673706770\"" "\"Version\": \"1.0.1\""
             "Contents/Resources/Snapshots/0DE7AEF2DE004E4F516F727673706770_snapshot.png")
    string(FIND "${info}" "${text}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "moduleinfo.json lacks ${text}")
    endif()
endforeach()
# The snapshot is the whole editor: a PNG of 846 x 768 pixels.
file(READ ${bundle}/Resources/Snapshots/0DE7AEF2DE004E4F516F727673706770_snapshot.png header LIMIT 24 HEX)
if(NOT header MATCHES "^89504e470d0a1a0a0000000d494844520000034e00000300$")
    message(FATAL_ERROR "the snapshot is not an 846 x 768 PNG: ${header}")
endif()
file(REMOVE_RECURSE ${PREFIX})
