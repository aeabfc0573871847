/* Stands in for ffmpeg.exe under Wine, where there is no Windows ffmpeg: the
   renderer's --video hands it the frames on standard input, the music after
   the second -i and the file to write last. It opens both files with the wide
   calls (as a Windows ffmpeg does, so that a folder such as Zoë works), copies
   the raw frames into the output and exits 0; 2 when the output cannot be
   written, 3 when the music cannot be read. */
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <wchar.h>

int wmain(int argc, wchar_t** argv) {
  const wchar_t* music = NULL;
  int inputs = 0;
  for (int i = 1; i + 1 < argc; ++i)
    if (wcscmp(argv[i], L"-i") == 0 && ++inputs == 2) music = argv[i + 1];
  FILE* in = music != NULL ? _wfopen(music, L"rb") : NULL;
  if (in == NULL) return 3;
  fclose(in);
  FILE* out = _wfopen(argv[argc - 1], L"wb");
  if (out == NULL) return 2;
  _setmode(_fileno(stdin), _O_BINARY);
  char buffer[65536];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, stdin)) > 0)
    if (fwrite(buffer, 1, got, out) != got) return 2;
  return fclose(out) == 0 ? 0 : 2;
}
