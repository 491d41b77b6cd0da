# The headers an application may include, relative to src/. Only these are installed and
# reach the umbrella header <corvane/corvane.h>. Internal headers end in "_p.h"; every other
# header under src/ must be listed here (the configure step checks it).
set(CORVANE_PUBLIC_HEADERS
  platform/Canvas.h
  platform/Classes.h
  platform/ColorUtils.h
  platform/Colors.h
  platform/DateUtils.h
  platform/DiagnosticLog.h
  platform/Dialogs.h
  platform/FormatSettings.h
  platform/Graphics.h
  platform/IniFiles.h
  platform/RealText.h
  platform/Types.h
  framework/objects/qvtCommon.h
  framework/objects/qvtDataSourceIntf.h
  framework/objects/qvtDocumentSetup.h
  framework/objects/qvtEntityFactory.h
  framework/objects/qvtGanttObject.h
  framework/objects/qvtHaloEntity.h
  framework/objects/qvtObjectEditor.h
  framework/objects/qvtOperation.h
  framework/objects/qvtProperties.h
  framework/media/qvtDefaultMedia.h
  framework/media/qvtIniFileMedia.h
  framework/media/qvtMedia.h
  framework/localization/qvtLocalization.h
  framework/time/qvtCalendar.h
  framework/time/qvtDateException.h
  framework/time/qvtTimeMode.h
  framework/time/qvtTimeScale.h
  framework/time/qvtTimeScaleDrawer.h
  framework/rendering/qvtCanvasVC.h
  framework/rendering/qvtTextArranger.h
  framework/rendering/qvtTextSettings.h
  framework/rendering/qvtVisualContext.h
  framework/chart/qvtBarConnection.h
  framework/chart/qvtChartDrawers.h
  framework/chart/qvtConnectionOperations.h
  framework/chart/qvtGanttBar.h
  framework/chart/qvtGanttDocument.h
  framework/chart/qvtGanttRow.h
  framework/chart/qvtGanttTable.h
  framework/chart/qvtRowOperations.h
  framework/chart/qvtLegend.h
  framework/chart/qvtResources.h
  framework/chart/qvtSpecialBars.h
  framework/chart/qvtTaskBar.h
  framework/chart/qvtTextHalo.h
  framework/tasktable/qvtColumnOperations.h
  framework/tasktable/qvtTreeCellTypes.h
  framework/tasktable/qvtTreeCells.h
  framework/tasktable/qvtHorizontalResizer.h
  framework/tasktable/qvtTreeGrid.h
  framework/tasktable/qvtTreeHeader.h
  framework/tasktable/qvtTreeOrder.h
  framework/tasktable/qvtTreeResizePane.h
  framework/tasktable/qvtTreeRow.h
  framework/tasktable/qvtTreeDrawers.h
  framework/tasktable/qvtTreeTextSettings.h
  framework/pert/qvtCriticalPath.h
  framework/pert/qvtPertBar.h
  framework/pert/qvtPertBarDrawer.h
  framework/pert/qvtPertConnections.h
  framework/interaction/qvtDataSource.h
  framework/interaction/qvtGanttView.h
  framework/interaction/qvtUndoRedoStack.h
)

# The headers of the widgets library (Corvane::Widgets), installed below include/corvane/widgets.
set(CORVANE_WIDGETS_PUBLIC_HEADERS
  widgets/qvtController.h
  widgets/qvtGanttGraph.h
  widgets/qvtHeaderFilterEditor.h
  widgets/qvtObjectEditorDialog.h
  widgets/qvtSpinEdit.h
  widgets/qvtTextBarMemo.h
  widgets/qvtTreeCellEditors.h
)

# Headers of the Qt implementation of the platform stand-ins; never installed.
set(CORVANE_QT_PLATFORM_HEADER_DIR platform/qt)

function(corvane_check_header_list)
  file(GLOB_RECURSE all RELATIVE ${PROJECT_SOURCE_DIR}/src
       ${PROJECT_SOURCE_DIR}/src/platform/*.h ${PROJECT_SOURCE_DIR}/src/framework/*.h
       ${PROJECT_SOURCE_DIR}/src/widgets/*.h)
  foreach(h IN LISTS all)
    if(h MATCHES "_p\\.h$" OR h MATCHES "^${CORVANE_QT_PLATFORM_HEADER_DIR}/")
      continue()
    endif()
    if(NOT h IN_LIST CORVANE_PUBLIC_HEADERS AND NOT h IN_LIST CORVANE_WIDGETS_PUBLIC_HEADERS)
      message(FATAL_ERROR "${h} is neither in cmake/CorvanePublicHeaders.cmake nor internal (_p.h)")
    endif()
  endforeach()
  foreach(h IN LISTS CORVANE_PUBLIC_HEADERS CORVANE_WIDGETS_PUBLIC_HEADERS)
    if(NOT EXISTS ${PROJECT_SOURCE_DIR}/src/${h})
      message(FATAL_ERROR "cmake/CorvanePublicHeaders.cmake names ${h}, which does not exist")
    endif()
  endforeach()
endfunction()
