// The entries of the interface table, in the order the host reads them.
#pragma once

#include <cstdint>

#include "plugin/xmpin.h"

namespace varno::entries {

int VARNO_HOSTAPI about(void* parentWindow);
int VARNO_HOSTAPI config(void* parentWindow);
int VARNO_HOSTAPI checkFile(const char* path, HostFile file);
uint32_t VARNO_HOSTAPI getFileInfo(const char* path, HostFile file, float** lengths, char** tags);
int VARNO_HOSTAPI open(const char* path, HostFile file);
void VARNO_HOSTAPI close();
void VARNO_HOSTAPI setFormat(XmpFormat* format);
char* VARNO_HOSTAPI getTags();
void VARNO_HOSTAPI getInfoText(char* format, char* length);
void VARNO_HOSTAPI getGeneralInfo(char* text);
void VARNO_HOSTAPI getMessage(char* text);
double VARNO_HOSTAPI setPosition(uint32_t position);
double VARNO_HOSTAPI getGranule();
uint32_t VARNO_HOSTAPI process(float* buffer, uint32_t count);
uint32_t VARNO_HOSTAPI getSubSongs(float* totalSeconds);

} // namespace varno::entries
