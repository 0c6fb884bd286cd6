#!/bin/bash
# Writes a play list file ("Playlist.xls": identifier, title, singer, album,
# GBK) of the first songs of the stand-in's catalogue to standard output.
#   tools/scripts/playlist.sh <catalogue.txt> <count>
set -eu
awk -v count="${2:?count}" 'BEGIN { RS = "---" } /id:/ && n < count {
    id = name = singer = album = ""
    split($0, lines, "\n")
    for (i in lines) {
      if (lines[i] ~ /^id: /) id = substr(lines[i], 5); if (lines[i] ~ /^name: /) name = substr(lines[i], 7)
      if (lines[i] ~ /^singer: /) singer = substr(lines[i], 9); if (lines[i] ~ /^album: /) album = substr(lines[i], 8)
    }
    if (id != "") { printf "%s\t%s\t%s\t%s\t\r\n", id, name, singer, album; n++ }
  }' "${1:?catalogue}" | iconv -f UTF-8 -t GBK
