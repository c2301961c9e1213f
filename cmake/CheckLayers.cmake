# Runs at every configure step, and as the "layers" test (cmake -DTEVO_SOURCE_ROOT=... -P), so
# that an include added to an existing file is caught too.
#
# The folders form layers; a folder may include headers of its own and of the layers it links.
# A header of any other folder would tie a lower layer to a higher one (a job to a widget), so it
# stops the configure step with the file and the line.
if(NOT TEVO_SOURCE_ROOT)
  set(TEVO_SOURCE_ROOT ${CMAKE_CURRENT_SOURCE_DIR})
endif()
set(TEVO_LAYERS_engine engine)
set(TEVO_LAYERS_settings engine settings)
set(TEVO_LAYERS_platform engine platform)
set(TEVO_LAYERS_tools engine tools)
set(TEVO_LAYERS_jobs engine settings jobs)
set(TEVO_LAYERS_ui engine settings platform tools jobs ui)
# tevo-cli: everything but the windows.
set(TEVO_LAYERS_app/cli engine settings platform jobs)
set(TEVO_WIDGET_FREE engine settings platform tools jobs app/cli)
set(TEVO_GUI_HEADERS "QtGui|QtWidgets|QWidget|QApplication|QGuiApplication|QDesktopServices|QSystemTrayIcon|QMenu|QAction|QPixmap|QImage|QIcon|QPainter|QColor|QFont|QMediaPlayer|QAudioOutput|QSoundEffect")

foreach(layer engine settings platform tools jobs ui app/cli)
  file(GLOB files ${TEVO_SOURCE_ROOT}/${layer}/*.cpp ${TEVO_SOURCE_ROOT}/${layer}/*.h)
  foreach(file ${files})
    file(STRINGS ${file} includes REGEX "^#include [\"<]")
    foreach(line ${includes})
      if(line MATCHES "^#include \"([a-z]+)/")
        list(FIND TEVO_LAYERS_${layer} ${CMAKE_MATCH_1} allowed)
        if(allowed EQUAL -1)
          message(FATAL_ERROR "${file}: ${layer}/ may not use ${CMAKE_MATCH_1}/: ${line}")
        endif()
      endif()
      list(FIND TEVO_WIDGET_FREE ${layer} widgetFree)
      if(NOT widgetFree EQUAL -1 AND line MATCHES "^#include <(${TEVO_GUI_HEADERS})[>.]")
        message(FATAL_ERROR "${file}: ${layer}/ is built without Qt Gui: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
