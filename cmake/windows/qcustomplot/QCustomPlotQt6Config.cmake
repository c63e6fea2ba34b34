# QCustomPlot for the Windows build: Debian ships it for Linux only, so the
# build compiles the two files of Debian's source package that
# scripts/windows-qt.sh puts beside the Windows Qt, once, as a static library.
set(_qcustomplot_source ${ORVANTIS_WINDOWS_QT}/src/qcustomplot)
find_package(Qt6 QUIET COMPONENTS Widgets PrintSupport)
if(NOT EXISTS ${_qcustomplot_source}/qcustomplot.cpp OR NOT Qt6PrintSupport_FOUND)
  set(QCustomPlotQt6_FOUND FALSE)
  return()
endif()
if(NOT TARGET QCustomPlotQt6::QCustomPlotQt6)
  add_library(orvantis_qcustomplot STATIC ${_qcustomplot_source}/qcustomplot.cpp ${_qcustomplot_source}/qcustomplot.h)
  # Another project's code: its warnings are not this project's to fix, and
  # its debug information would only lengthen the compile.
  set_target_properties(orvantis_qcustomplot PROPERTIES AUTOMOC ON COMPILE_OPTIONS "-w;-g0")
  target_include_directories(orvantis_qcustomplot SYSTEM PUBLIC ${_qcustomplot_source})
  target_link_libraries(orvantis_qcustomplot PUBLIC Qt6::Widgets Qt6::PrintSupport)
  add_library(QCustomPlotQt6::QCustomPlotQt6 ALIAS orvantis_qcustomplot)
endif()
