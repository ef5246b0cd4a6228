# The layers of src/ and which of them each may include.
#
# Every target includes from the one root src/ ("model/Error.h"), so the compiler
# would accept any include; these rules are what keeps a layer from reaching up or
# sideways. A layer is a folder below src/. It may include its own headers and
# what its ALLOWS list names: a whole layer ("model") or one header of a layer
# ("platform/ProgramPath.h"). Anything else stops the configuration, and the build
# checks the sources again whenever one changes.
#
# A layer may only allow layers declared above it, so the rules can never form a
# cycle. NO_GUI layers must not include QtGui or QtWidgets: they run in tests,
# benchmarks, headless runs and the agent.
#
# Why the exceptions exist:
# - accounts and store use platform/ProgramPath.h only: the legacy account file
#   and the settings file are found beside the program (/proc/self/exe).
# - agent uses platform/SmbAgentProtocol.h only: the framing it shares with the
#   SMB agent client.

if(CMAKE_SCRIPT_MODE_FILE)
  cmake_policy(VERSION 3.25) # run by the build as a script: see the end
endif()

# kestrova_layer(<folder> TARGETS <target>... [NO_GUI] ALLOWS [<layer or header>...])
function(kestrova_layer folder)
  cmake_parse_arguments(ARG "NO_GUI" "" "TARGETS;ALLOWS" ${ARGN})
  foreach(allowed ${ARG_ALLOWS})
    _kestrova_layer_of("${allowed}/" allowed_layer)
    if(NOT allowed_layer)
      message(FATAL_ERROR "Layer rule of ${folder}: ${allowed} is no layer declared above it; "
        "a layer may only depend on layers declared before it, so that the layers form no cycle")
    endif()
  endforeach()
  set_property(GLOBAL APPEND PROPERTY KESTROVA_LAYERS ${folder})
  set_property(GLOBAL PROPERTY KESTROVA_LAYER_${folder}_TARGETS ${ARG_TARGETS})
  set_property(GLOBAL PROPERTY KESTROVA_LAYER_${folder}_ALLOWS ${ARG_ALLOWS})
  set_property(GLOBAL PROPERTY KESTROVA_LAYER_${folder}_NO_GUI ${ARG_NO_GUI})
endfunction()

# The declared layer a path below src/ belongs to (the longest matching folder:
# engine/ports/X.h is in engine/ports, not in engine), or "" outside every layer.
function(_kestrova_layer_of path out)
  get_property(layers GLOBAL PROPERTY KESTROVA_LAYERS)
  set(best "")
  foreach(layer ${layers})
    string(LENGTH "${layer}/" length)
    string(SUBSTRING "${path}" 0 ${length} head)
    string(LENGTH "${best}" best_length)
    if(head STREQUAL "${layer}/" AND length GREATER best_length)
      set(best ${layer})
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

# Line number of the first line of file that equals text.
function(_kestrova_line_of file text out)
  file(READ "${file}" content)
  string(FIND "${content}" "${text}" offset)
  string(SUBSTRING "${content}" 0 ${offset} before)
  string(REGEX MATCHALL "\n" newlines "${before}")
  list(LENGTH newlines count)
  math(EXPR line "${count} + 1")
  set(${out} ${line} PARENT_SCOPE)
endfunction()

# Fails with file, line and rule for every include of a layer's source (a path
# relative to src_root) that its rules refuse.
function(kestrova_check_layer_sources folder src_root)
  get_property(allows GLOBAL PROPERTY KESTROVA_LAYER_${folder}_ALLOWS)
  get_property(no_gui GLOBAL PROPERTY KESTROVA_LAYER_${folder}_NO_GUI)
  set(errors "")
  foreach(source ${ARGN})
    _kestrova_layer_of("${source}" source_layer)
    if(NOT source_layer STREQUAL folder)
      string(APPEND errors "src/${source}: listed in a target of layer ${folder} but lies outside src/${folder}/\n")
      continue()
    endif()
    file(STRINGS "${src_root}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(include_line ${includes})
      set(refused "")
      if(include_line MATCHES "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]+)[\">]")
        set(included "${CMAKE_MATCH_1}")
        _kestrova_layer_of("${included}" included_layer)
        if(included_layer AND NOT included_layer STREQUAL folder
            AND NOT included_layer IN_LIST allows AND NOT included IN_LIST allows)
          if(allows)
            string(REPLACE ";" ", " allowed_text "${allows}")
          else()
            set(allowed_text "nothing of ours")
          endif()
          set(refused "layer ${folder} may include only its own headers and ${allowed_text}")
        endif()
      endif()
      if(no_gui AND include_line MATCHES "#[ \t]*include[ \t]*<(Qt(Gui|Widgets)|Q(Application|Widget|Icon|Image|Pixmap|Painter|Color)>)")
        set(refused "layer ${folder} must not depend on QtGui or QtWidgets")
      endif()
      if(refused)
        _kestrova_line_of("${src_root}/${source}" "${include_line}" line)
        string(APPEND errors "src/${source}:${line}: ${include_line}\n    ${refused} (cmake/LayerRules.cmake)\n")
      endif()
    endforeach()
  endforeach()
  if(errors)
    message(FATAL_ERROR "Include breaks the layer rules:\n${errors}")
  endif()
endfunction()

# Checks every layer whose targets exist: now, at configure time, and again in the
# build whenever one of its sources changes (a stamp per layer). Also refuses a
# source file on disk that no target of its layer lists, since the lists are
# explicit and a forgotten file would otherwise just not be built.
function(kestrova_check_layers src_root)
  get_property(layers GLOBAL PROPERTY KESTROVA_LAYERS)
  set(list_dir ${CMAKE_BINARY_DIR}/layer-rules)
  foreach(folder ${layers})
    get_property(targets GLOBAL PROPERTY KESTROVA_LAYER_${folder}_TARGETS)
    set(sources "")
    set(built_targets "")
    foreach(target ${targets})
      if(TARGET ${target})
        get_target_property(target_sources ${target} SOURCES)
        get_target_property(target_dir ${target} SOURCE_DIR)
        foreach(source ${target_sources})
          get_filename_component(source "${source}" ABSOLUTE BASE_DIR "${target_dir}")
          file(RELATIVE_PATH source "${src_root}" "${source}")
          list(APPEND sources "${source}")
        endforeach()
        list(APPEND built_targets ${target})
      endif()
    endforeach()
    if(NOT built_targets)
      continue()
    endif()
    kestrova_check_layer_sources(${folder} "${src_root}" ${sources})

    file(GLOB on_disk RELATIVE "${src_root}" "${src_root}/${folder}/*.cpp" "${src_root}/${folder}/*.h")
    foreach(file ${on_disk})
      if(NOT file IN_LIST sources)
        message(FATAL_ERROR "src/${file} is in no target: add it to the source list in "
          "src/${folder}/CMakeLists.txt")
      endif()
    endforeach()

    string(REPLACE "/" "_" name ${folder})
    set(stamp ${list_dir}/${name}.stamp)
    list(TRANSFORM sources PREPEND "${src_root}/" OUTPUT_VARIABLE absolute_sources)
    add_custom_command(OUTPUT ${stamp}
      COMMAND ${CMAKE_COMMAND} -DLAYER=${folder} -DSRC_ROOT=${src_root} -DSTAMP=${stamp}
        -DLIST_FILE=${list_dir}/${name}.txt -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      DEPENDS ${absolute_sources} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      COMMENT "Checking the includes of layer ${folder}"
      VERBATIM)
    file(WRITE ${list_dir}/${name}.txt "${sources}")
    add_custom_target(kestrova_layer_check_${name} DEPENDS ${stamp})
    foreach(target ${built_targets})
      add_dependencies(${target} kestrova_layer_check_${name})
    endforeach()
  endforeach()
endfunction()

# The rules themselves, lowest layer first.
kestrova_layer(model TARGETS kestrova_model NO_GUI ALLOWS)
kestrova_layer(engine/ports TARGETS kestrova_ports NO_GUI ALLOWS model)
kestrova_layer(files TARGETS kestrova_files NO_GUI ALLOWS model)
kestrova_layer(documents TARGETS kestrova_documents NO_GUI ALLOWS model)
kestrova_layer(engine TARGETS kestrova_engine NO_GUI ALLOWS model engine/ports documents)
kestrova_layer(platform TARGETS kestrova_platform NO_GUI ALLOWS model engine/ports)
kestrova_layer(accounts TARGETS kestrova_accounts NO_GUI ALLOWS model files platform/ProgramPath.h)
kestrova_layer(store TARGETS kestrova_store NO_GUI
  ALLOWS model files accounts platform/ProgramPath.h)
kestrova_layer(agent TARGETS kestrova-smb-agent NO_GUI ALLOWS model platform/SmbAgentProtocol.h)
kestrova_layer(widgets TARGETS kestrova_widgets ALLOWS model)
kestrova_layer(update TARGETS kestrova_update
  ALLOWS model engine/ports files documents engine platform accounts store widgets)
kestrova_layer(dialogs TARGETS kestrova_dialogs
  ALLOWS model engine/ports files documents engine platform accounts store widgets update)
kestrova_layer(app TARGETS kestrova_gui kestrova
  ALLOWS model engine/ports files documents engine platform accounts store widgets update dialogs)

# Build-time check of one layer (cmake -P): the same rules on the sources listed
# at configure time.
if(CMAKE_SCRIPT_MODE_FILE AND LAYER)
  file(READ ${LIST_FILE} sources)
  kestrova_check_layer_sources(${LAYER} ${SRC_ROOT} ${sources})
  file(TOUCH ${STAMP})
endif()
