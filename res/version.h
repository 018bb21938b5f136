// Nivora's version: the one place it is set. The version resource (Nivora.rc), the manifest
// (made from Nivora.manifest.in by the build) and the setup and portable zip (scripts/dist.sh)
// take it from here.
#pragma once
#define NV_VERSION_MAJOR 5
#define NV_VERSION_MINOR 9

#define NV_STRINGIFY2(x) #x
#define NV_STRINGIFY(x) NV_STRINGIFY2(x)
// "5.9"
#define NV_VERSION_TEXT NV_STRINGIFY(NV_VERSION_MAJOR) "." NV_STRINGIFY(NV_VERSION_MINOR)
