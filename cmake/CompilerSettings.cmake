# Warnings and sanitizers shared by every target of the project.
add_library(kestrova_options INTERFACE)
target_compile_options(kestrova_options INTERFACE -Wall -Wextra
  $<$<COMPILE_LANGUAGE:CXX>:-Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wold-style-cast>)
if(KESTROVA_WERROR)
  target_compile_options(kestrova_options INTERFACE -Werror)
endif()
if(KESTROVA_SANITIZE)
  target_compile_options(kestrova_options INTERFACE -fsanitize=${KESTROVA_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(kestrova_options INTERFACE -fsanitize=${KESTROVA_SANITIZE})
endif()
target_compile_definitions(kestrova_options INTERFACE
  QT_NO_KEYWORDS
  KESTROVA_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  KESTROVA_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  KESTROVA_VERSION_RELEASE=${PROJECT_VERSION_PATCH})
