# The sample's video: three seconds of GStreamer's moving colour bars at 320 × 240, 25 pictures a
# second, VP8 in WebM (about 110 KB), made at build time so the repository holds no video. The
# sample service serves it for its video links ("/video/<article>.webm") and the movie player's
# tests play it. ZU_SAMPLE_VIDEO is its path; the target zu_sample_video makes it. Without
# gst-launch-1.0 (scripts/install-deps.sh installs it) there is no video: the service answers 404
# and the player's tests that need it are skipped.
set(ZU_SAMPLE_VIDEO ${PROJECT_BINARY_DIR}/sample-video/sample-video.webm)
find_program(ZU_GST_LAUNCH gst-launch-1.0)
if(ZU_GST_LAUNCH)
  add_custom_command(
    OUTPUT ${ZU_SAMPLE_VIDEO}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/sample-video
    COMMAND ${ZU_GST_LAUNCH} -q videotestsrc pattern=smpte horizontal-speed=4 num-buffers=75
            ! video/x-raw,width=320,height=240,framerate=25/1
            ! vp8enc deadline=1 cpu-used=8 target-bitrate=300000 keyframe-max-dist=25
            ! webmmux ! filesink location=${ZU_SAMPLE_VIDEO}.part
    COMMAND ${CMAKE_COMMAND} -E rename ${ZU_SAMPLE_VIDEO}.part ${ZU_SAMPLE_VIDEO}
    COMMENT "Making the sample video"
    VERBATIM)
  add_custom_target(zu_sample_video DEPENDS ${ZU_SAMPLE_VIDEO})
else()
  message(WARNING "gst-launch-1.0 not found: no sample video (run scripts/install-deps.sh)")
  add_custom_target(zu_sample_video)
endif()
