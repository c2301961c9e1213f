# Reads a source file's #include lines as the preprocessor does, for the layers check and for
# choosing what each test links. Used at configure time and in script mode (cmake -P).

# Qt modules that bring Qt Gui with them: no layer below ui/ may include their headers.
set(TEVO_GUI_MODULES QtGui QtWidgets QtMultimedia QtMultimediaWidgets QtMultimediaQuick
  QtOpenGL QtOpenGLWidgets QtPrintSupport QtSvg QtSvgWidgets QtQuick QtQuickWidgets)

# The include lines of a file, each as written between its quotes or angle brackets, with a
# leading '"' or '<' to tell the two apart. Blanks and one-line /* */ comments may stand before
# and after the '#' (or its digraph "%:"), a line may be continued with a backslash, and
# include_next and import include too.
function(tevo_read_includes file out)
  file(READ "${file}" text)
  string(REPLACE "\\\r\n" "" text "${text}")
  string(REPLACE "\\\n" "" text "${text}")
  # A ';' would split CMake's list; no include name contains one.
  string(REPLACE ";" " " text "${text}")
  # A comment within one line is a blank to the preprocessor ("#/**/include" includes).
  string(REGEX REPLACE "/\\*([^*\n]|\\*+[^*/\n])*\\*+/" " " text "${text}")
  string(REGEX MATCHALL
    "(^|\n)[ \t]*(#|%:)[ \t]*(include_next|include|import)[ \t]*(\"[^\"\n]*\"|<[^>\n]*>)"
    lines "${text}")
  set(names)
  foreach(line IN LISTS lines)
    string(REGEX MATCH "(\"[^\"\n]*\"|<[^>\n]*>)$" name "${line}")
    string(REGEX REPLACE "[\">]$" "" name "${name}")
    list(APPEND names "${name}")
  endforeach()
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

# Where an include leads: the path of a project file relative to ${root}, or "" for a header
# from outside the project. A quoted include is looked up beside the including file first, then
# (like an angle include) under each of ${roots}. A missing file still counts as the project's
# when its folder exists: the compiler would stop at it, and the check must not let it through.
function(tevo_resolve_include file name root roots out)
  string(SUBSTRING "${name}" 1 -1 path)
  set(fallback)
  if(name MATCHES "^\"")
    get_filename_component(dir "${file}" DIRECTORY)
    get_filename_component(beside "${dir}/${path}" ABSOLUTE)
    get_filename_component(besideDir "${beside}" DIRECTORY)
    if(EXISTS "${beside}")
      set(roots)
      set(fallback "${beside}")
    elseif(path MATCHES "/" AND IS_DIRECTORY "${besideDir}")
      # A bare "QWidget" that is not beside the file is searched for like <QWidget>.
      set(fallback "${beside}")
    endif()
  endif()
  string(REGEX MATCH "^[^/]+/" first "${path}")
  if(first)
    foreach(base IN LISTS roots)
      get_filename_component(found "${base}/${path}" ABSOLUTE)
      if(EXISTS "${found}")
        set(fallback "${found}")
        break()
      elseif(NOT fallback AND IS_DIRECTORY "${base}/${first}")
        set(fallback "${found}")
      endif()
    endforeach()
  endif()
  set(relative "")
  if(fallback)
    file(RELATIVE_PATH relative "${root}" "${fallback}")
    if(relative MATCHES "^\\.\\./")
      set(relative "")
    endif()
  endif()
  set(${out} "${relative}" PARENT_SCOPE)
endfunction()

# Reads the header names of each module of TEVO_GUI_MODULES from the installed Qt headers under
# ${qtHeaders} (the folder holding QtCore/) into TEVO_GUI_NAMES_<module>, so that a bare <QImage>
# or <qwidget.h> is known as well as <QtGui/QImage>.
macro(tevo_read_gui_header_names qtHeaders)
  foreach(module IN LISTS TEVO_GUI_MODULES)
    set(TEVO_GUI_NAMES_${module})
    if(NOT "${qtHeaders}" STREQUAL "" AND IS_DIRECTORY "${qtHeaders}/${module}")
      file(GLOB TEVO_GUI_NAMES_${module} RELATIVE "${qtHeaders}/${module}"
        "${qtHeaders}/${module}/*")
    endif()
  endforeach()
endmacro()

# The module of TEVO_GUI_MODULES that a header from outside the project (as read by
# tevo_read_includes) belongs to, or "" for any other header.
function(tevo_gui_module name out)
  string(SUBSTRING "${name}" 1 -1 path)
  foreach(module IN LISTS TEVO_GUI_MODULES)
    if(path MATCHES "(^|/)${module}(/|$)")
      set(${out} ${module} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  if(NOT path MATCHES "/")
    foreach(module IN LISTS TEVO_GUI_MODULES)
      list(FIND TEVO_GUI_NAMES_${module} "${path}" at)
      if(NOT at EQUAL -1)
        set(${out} ${module} PARENT_SCOPE)
        return()
      endif()
    endforeach()
  endif()
  set(${out} "" PARENT_SCOPE)
endfunction()
