# Runs at every configure step, and as the "layers" test (cmake -DTEVO_SOURCE_ROOT=...
# -DTEVO_QT_HEADERS=... -P), so that an include added to an existing file is caught too.
#
# The folders form layers; a folder may include headers of its own and of the layers it links.
# A header of any other folder would tie a lower layer to a higher one (a job to a widget), and
# a Qt Gui, Widgets or Multimedia header below ui/ would make tevo-cli need a desktop. Either
# stops the configure step with the file and the line. Includes are read as the preprocessor
# reads them (cmake/Includes.cmake): "#  include", a path relative to the file, <QtGui/QImage>
# and a bare <QImage> are all seen.
include(${CMAKE_CURRENT_LIST_DIR}/Includes.cmake)

if(NOT TEVO_SOURCE_ROOT)
  set(TEVO_SOURCE_ROOT ${CMAKE_CURRENT_SOURCE_DIR})
endif()
# The folder of the installed Qt headers (holding QtCore/, QtGui/ ...), for the bare names.
if(NOT TEVO_QT_HEADERS AND TARGET Qt6::Core)
  get_target_property(qtIncludes Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
  foreach(dir IN LISTS qtIncludes)
    if(IS_DIRECTORY "${dir}/QtCore")
      set(TEVO_QT_HEADERS "${dir}")
    endif()
  endforeach()
endif()

set(TEVO_LAYERS_engine engine)
set(TEVO_LAYERS_settings engine settings)
set(TEVO_LAYERS_platform engine platform)
set(TEVO_LAYERS_tools engine tools)
set(TEVO_LAYERS_jobs engine settings jobs)
set(TEVO_LAYERS_ui engine settings platform tools jobs ui)
# tevo-cli: everything but the windows.
set(TEVO_LAYERS_app/cli engine settings platform jobs app/cli)
set(TEVO_WIDGET_FREE engine settings platform tools jobs app/cli)

tevo_read_gui_header_names("${TEVO_QT_HEADERS}")
set(tevoLayerProblems)
foreach(layer engine settings platform tools jobs ui app/cli)
  list(FIND TEVO_WIDGET_FREE ${layer} widgetFree)
  file(GLOB files ${TEVO_SOURCE_ROOT}/${layer}/*.cpp ${TEVO_SOURCE_ROOT}/${layer}/*.h)
  foreach(file IN LISTS files)
    tevo_read_includes("${file}" names)
    foreach(name IN LISTS names)
      if(name MATCHES "^<")
        set(shown "#include ${name}>")
      else()
        set(shown "#include ${name}\"")
      endif()
      tevo_resolve_include("${file}" "${name}" "${TEVO_SOURCE_ROOT}" "${TEVO_SOURCE_ROOT}" path)
      if(path)
        get_filename_component(folder "${path}" DIRECTORY)
        list(FIND TEVO_LAYERS_${layer} "${folder}" allowed)
        if(allowed EQUAL -1)
          list(APPEND tevoLayerProblems "${file}: ${layer}/ may not use ${folder}/: ${shown}")
        endif()
      elseif(NOT widgetFree EQUAL -1)
        tevo_gui_module("${name}" module)
        if(module)
          list(APPEND tevoLayerProblems "${file}: ${layer}/ is built without Qt Gui: ${shown}")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()
if(tevoLayerProblems)
  list(JOIN tevoLayerProblems "\n" tevoLayerProblems)
  message(FATAL_ERROR "Layers:\n${tevoLayerProblems}")
endif()
