# Sourced by the scripts that build SDL2_mixer 2.6 from Debian's source package
# (Linux, Windows, web): the show's music is one MP3, so every build has the
# same decoders, WAV and the built-in dr_mp3 (no mpg123 to carry), and the same
# start of the music (main/MusicStart.cpp skips dr_mp3's lead-in). Every other
# format, and with it every library behind it, is left out.
sdl2_mixer_options=(
  -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF
  -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_DRMP3=ON -DSDL2MIXER_MP3_MPG123=OFF -DSDL2MIXER_WAVE=ON
  -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF
  -DSDL2MIXER_VORBIS=OFF
)
