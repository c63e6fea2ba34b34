# Installing on Linux, and the Debian package (cpack -G DEB): both programs,
# and with the windows the desktop entry, MIME packages and icons in the
# system's data folders, with maintainer scripts that refresh the desktop's
# caches.
include(GNUInstallDirs)

install(TARGETS orvantis-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET orvantis)
  install(TARGETS orvantis RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY ${ORVANTIS_DESKTOP_SHARE}/ DESTINATION ${CMAKE_INSTALL_DATADIR})
  install(FILES ${PROJECT_SOURCE_DIR}/app/icons/orvantis.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
endif()

set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/orvantis)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
                   COMMAND gzip -n -9 -c ${CMAKE_BINARY_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
                   DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog)
add_custom_target(orvantis_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvantis)
set(CPACK_PACKAGE_VENDOR Sorvenhal)
set(CPACK_PACKAGE_CONTACT "Orvantis developers <orvantis@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tidelume radiometer recordings to calibrated spectra")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvantis converts the .ASC and .BIN recordings of a Tidelume hyperspectral\n"
    "radiometer into calibrated spectra, in a window or with the headless\n"
    "converter orvantis-cli. Opening a data file on the desktop converts it.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The windows need Qt's platform plugins, and NetCDF output the NetCDF
# library, which is loaded when first used: no library link names them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "")
if(TARGET orvantis)
  list(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
endif()
if(ORVANTIS_NETCDF)
  get_target_property(netcdf_library netCDF::netcdf LOCATION)
  execute_process(COMMAND dpkg-query -S ${netcdf_library} OUTPUT_VARIABLE netcdf_owner ERROR_QUIET)
  string(REGEX MATCH "^[^:]+" netcdf_package "${netcdf_owner}")
  if(netcdf_package)
    list(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ${netcdf_package})
  endif()
endif()
# The Python module: the interpreter it was built for; xarray and numpy
# only for those who use it, and dask and scipy for seasons and casts.
if(TARGET _orvantis)
  list(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS "python3 (>= ${ORVANTIS_PYTHON_VERSION})")
  set(python_recommends ", python3-numpy, python3-xarray")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-dask, python3-distributed, python3-scipy")
endif()
string(REPLACE ";" ", " CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils${python_recommends}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/postinst
                                       ${PROJECT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
