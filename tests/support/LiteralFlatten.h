// Flatten written as the plain algorithm, and the generated black boxes the
// library's Flatten is compared with it on (tests and benchmarks).
#ifndef KRVWD7_TESTS_SUPPORT_LITERALFLATTEN_H_
#define KRVWD7_TESTS_SUPPORT_LITERALFLATTEN_H_

#include "CATBaseUnknown.h"

class CATDocument;
class MemDocument;
class MemSession;

namespace krvwd7_test {

// KRVEWD7BlackBoxServices::Flatten as its steps read: the record list
// held in one array, walked by index, each moved record removed from the
// array (RemovePosition) and the walk going on at the same index. Quadratic
// in the number of records; the same host calls, trace and progress steps
// as the library are expected of it.
HRESULT LiteralFlatten(CATDocument& iDocument, unsigned char iOption);

// Replaces the content of iSession by a type 2 black box "BB.CATProduct"
// (a VPM document) of about iProducts products below its PSN root instance
// "PSN.1" (part number "PSN"). Below it: components of about 50 leaves
// each, every 7th of them holding a nested component, every 11th a product
// instance (type 3) instead; 1 leaf in 10 a model, 1 in 50 a further leaf
// (type 9), 1 in 40 directly below the PSN root instance, 1 in 30 without
// printable id. iSeed varies which are which. The black box's
// "BBPSNPrintableId" is the PSN root's id; every product's id begins with
// it. iInteractive: the session runs as an interactive application. Returns
// the document.
MemDocument* GenerateBlackBox(MemSession& ioSession, int iProducts, unsigned iSeed,
                              bool iInteractive = false);

}  // namespace krvwd7_test

#endif  // KRVWD7_TESTS_SUPPORT_LITERALFLATTEN_H_
