// The version of the krvwd7 tool and of the library it ships with.
#ifndef KRVWD7_TOOL_VERSION_H_
#define KRVWD7_TOOL_VERSION_H_

const char* Krvwd7Version();

#endif  // KRVWD7_TOOL_VERSION_H_
