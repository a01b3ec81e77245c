// The in-memory host as a program that embeds it sees it.
//
// A program that runs the library's services the way a command of the host
// would (the tool krvwd7) loads a saved session into the host, picks its
// documents, and saves the result; everything else it does through the
// host's interfaces. This header is all it sees of the in-memory
// implementation.
//
// The host has one process-wide session. Documents handed out are borrowed
// and stay valid until the session is closed or replaced.
#ifndef KRVWD7_HOST_HOSTSESSION_H_
#define KRVWD7_HOST_HOSTSESSION_H_

#include <string>
#include <vector>

class CATDocument;

class HostSession {
 public:
  // Replaces the process's session by the one in the session file iPath.
  // False with a one-line message naming the file and the place when the
  // file cannot be used; the session is then left as it was.
  static bool Load(const std::string& iPath, std::string& oError);
  // Writes the process's session to iPath; the file is replaced only once
  // its new content is complete. False with a one-line message otherwise.
  static bool Save(const std::string& iPath, std::string& oError);
  // Closes the process's session and drops the faults its file declared.
  static void Close();

  // The product documents in opening order.
  static std::vector<CATDocument*> ProductDocuments();
  // The name a user sees in the document's window title; "" for an object
  // that is not a document of the session.
  static std::string NameOf(CATDocument* iDocument);
  // The product document whose name or storage name is iName; null when
  // there is none.
  static CATDocument* FindProductDocument(const std::string& iName);
};

#endif  // KRVWD7_HOST_HOSTSESSION_H_
