#!/usr/bin/env bash
# Makes the small media samples next to this script: a 4-second portrait
# H.264 video with a silent AAC track and a 96x96 JPEG avatar.
# Needs ffmpeg (not part of the build or test packages: the files are kept).
set -euo pipefail
cd "$(dirname "$0")"
ffmpeg -loglevel error -y \
  -f lavfi -i "testsrc2=size=180x320:rate=15:duration=4" \
  -f lavfi -i "anullsrc=channel_layout=mono:sample_rate=22050" -shortest \
  -c:v libx264 -profile:v baseline -pix_fmt yuv420p -crf 34 -g 30 \
  -c:a aac -b:a 24k -movflags +faststart -map_metadata -1 -fflags +bitexact \
  demo_video.mp4
ffmpeg -loglevel error -y -f lavfi -i "gradients=size=96x96:c0=0xff8e17:c1=0x6d7794:seed=7:duration=0.1" \
  -frames:v 1 -q:v 5 -map_metadata -1 -fflags +bitexact demo_avatar.jpg
