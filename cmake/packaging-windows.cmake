# A Windows build made on Windows with the Qt installer's kit (MSVC or MinGW): `cmake --install`
# puts both programs in one folder with what windeployqt adds (Qt's DLLs, the platform and style
# plugins, the compiler's runtime), and `cpack -G ZIP` zips that folder. The MinGW-w64 cross-build
# made on Linux has no windeployqt to run; scripts/package-windows builds its archive instead.
if(NOT (WIN32 AND QORB_WITH_QT AND NOT CMAKE_CROSSCOMPILING))
    return()
endif()

install(TARGETS QORB_Memory_To_File qorb-download RUNTIME DESTINATION .)
install(FILES README.md DESTINATION . RENAME README.txt)
install(FILES packaging/windows/THIRD-PARTY-NOTICES.txt DESTINATION .)

qt_generate_deploy_app_script(TARGET QORB_Memory_To_File FILENAME_VARIABLE window_deploy
                              NO_UNSUPPORTED_PLATFORM_ERROR)
install(SCRIPT ${window_deploy})

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME qorb-memory-to-file)
set(CPACK_PACKAGE_FILE_NAME qorb-memory-to-file-${PROJECT_VERSION}-windows-x86_64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
