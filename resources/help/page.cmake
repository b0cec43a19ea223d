# Writes one complete help page: page.html.in around the body fragment `page`, titled after its
# <h1>. Usage: cmake -Dpage=round.html -Dlang=ja -Dout=src/round.html -P page.cmake
file(READ "${page}" content)
if(NOT content MATCHES "^<h1>([^<]+)</h1>")
    message(FATAL_ERROR "${page} must begin with its <h1> heading, which gives the page title")
endif()
set(title "${CMAKE_MATCH_1}")
if(lang STREQUAL "en")
    set(nav [[<p class="nav"><a href="index.html">日本語の目次</a></p>]])
else()
    set(nav [[<p class="nav"><a href="index.html">目次</a> ・ <a href="round.html">ラウンド</a> ・ <a href="counting.html">カウント画面</a> ・ <a href="settings.html">設定画面</a> ・ <a href="messages.html">メッセージ</a> ・ <a href="keyboard.html">キーボード</a> ・ <a href="files.html">ファイル</a> ・ <a href="english.html">English</a></p>]])
endif()
# Viewers without style sheets (xchm) draw a table's borders only when the table asks for them.
string(REPLACE "<table>" "<table border=\"1\" cellpadding=\"4\" cellspacing=\"0\">" content
    "${content}")
configure_file("${CMAKE_CURRENT_LIST_DIR}/page.html.in" "${out}" @ONLY)
