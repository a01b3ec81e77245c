// Environment variables of the host.
//
// CATGetEnv reads the process environment through a process-wide override
// table: an in-memory session (or a test) sets or hides variables there
// without touching the real environment. An override with a null value
// hides the process's variable (it reads as unset).
//
// The pointer CATGetEnv returns is borrowed. For an overridden variable it
// stays valid until the next call of CATSetEnvOverride or
// CATClearEnvOverrides; for a process variable, until the process
// environment changes. Not thread safe (the host is single threaded).
#ifndef KRVWD7_HOST_CATGETENV_H_
#define KRVWD7_HOST_CATGETENV_H_

// The value of iName, or nullptr when it is unset (or iName is null).
const char* CATGetEnv(const char* iName);

// Overrides iName with iValue (copied); a null iValue makes iName unset.
// A null iName does nothing.
void CATSetEnvOverride(const char* iName, const char* iValue);
// Drops the override of iName, so the process value shows again.
void CATRemoveEnvOverride(const char* iName);
// Drops every override.
void CATClearEnvOverrides();

#endif  // KRVWD7_HOST_CATGETENV_H_
