# The Windows setup program, orvantis-<version>-setup.exe (cpack -G NSIS with
# Debian's makensis, run by scripts/build-windows.sh): the files of the zip's
# folder, which that script gathers with the DLLs they load, installed by the
# project's own NSIS template beside this file.
install(DIRECTORY ${CMAKE_BINARY_DIR}/zip/Orvantis/ DESTINATION .)

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME Orvantis)
set(CPACK_PACKAGE_VENDOR Sorvenhal)
set(CPACK_PACKAGE_FILE_NAME orvantis-${PROJECT_VERSION}-setup)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Orvantis)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/app/windows/orvantis.ico)
set(CPACK_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/setup)
include(CPack)
