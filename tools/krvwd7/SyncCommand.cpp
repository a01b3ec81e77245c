// krvwd7 sync: brings a black box up to date from its PSN: compares them,
// shows the plan (SyncPlan.h), applies it, compares again and reports what
// remains.
#include <map>
#include <memory>

#include "Commands.h"
#include "Comparison.h"
#include "Editing.h"
#include "HostSession.h"
#include "JsonOut.h"
#include "Pairs.h"
#include "Structures.h"
#include "SyncPlan.h"
#include "Table.h"
#include "Terminal.h"

namespace krvwd7 {

namespace {

const char* KindName(SyncAction::Kind iKind) {
  switch (iKind) {
    case SyncAction::Kind::kAdd: return "add";
    case SyncAction::Kind::kRemove: return "delete";
    case SyncAction::Kind::kUpdateLeaf: return "update-leaf";
    case SyncAction::Kind::kUpdateNode: return "update-node";
    case SyncAction::Kind::kIdentity: return "identity";
    case SyncAction::Kind::kPositionFromPsn: return "position-from-psn";
    case SyncAction::Kind::kPositionToPsn: return "position-to-psn";
  }
  return "";
}

std::string ResultOf(const SyncAction& iAction) {
  if (!iAction.applied) return "";
  return FAILED(iAction.rc) ? "FAILED " + iAction.error : "done";
}

// What sync found and did, shared by the text and JSON reports.
struct SyncReport {
  std::shared_ptr<SyncPlan> plan;
  bool applied = false;
  bool toPsn = false;
  std::vector<SyncRemaining> remaining;
};

void PrintPlan(const SyncReport& iReport, std::ostream& oOut) {
  const std::vector<SyncAction>& actions = iReport.plan->Actions();
  if (actions.empty()) {
    oOut << "Plan: nothing to do\n\n";
    return;
  }
  // Groups in the order of their first action.
  std::vector<std::string> order;
  std::map<std::string, std::vector<size_t>> groups;
  for (size_t i = 0; i < actions.size(); ++i) {
    auto& members = groups[actions[i].group];
    if (members.empty()) order.push_back(actions[i].group);
    members.push_back(i);
  }
  oOut << "Plan: " << actions.size() << " action(s) in " << order.size() << " group(s)\n\n";
  for (const std::string& group : order) {
    const std::vector<size_t>& members = groups[group];
    oOut << group << ": " << members.size() << " action(s)\n";
    Table table;
    table.AddColumn("#", 0, true);
    table.AddColumn("DIFFERENCE");
    table.AddColumn("PRODUCT", 1, false, 24, true);
    table.AddColumn("PART NUMBER");
    table.AddColumn("ACTION");
    if (iReport.applied) table.AddColumn("RESULT", 2, false, 12);
    for (size_t i : members) {
      const SyncAction& a = actions[i];
      std::vector<std::string> row{std::to_string(i + 1), a.difference, a.product, a.partNumber,
                                   a.what};
      if (iReport.applied) row.push_back(ResultOf(a));
      table.AddRow(row);
    }
    table.Print(oOut);
    oOut << "\n";
  }
  const int second = iReport.plan->SecondPassCount();
  if (second > 0) {
    oOut << "Second pass: " << second
         << " product(s) added to the flattened black box are placed at their position "
            "relative to the PSN root, after every other action\n\n";
  }
  if (iReport.toPsn) {
    oOut << "Positions go to the PSN: one UpdatePosition after every other action; a product "
            "that is updated otherwise takes the PSN's position\n\n";
  }
}

void PrintRemaining(const SyncReport& iReport, std::ostream& oOut) {
  if (!iReport.applied) return;
  const bool colour = UseColour();
  if (iReport.remaining.empty()) {
    oOut << Colour("Up to date", "32", colour) << ": the comparison finds no difference\n\n";
    return;
  }
  oOut << Colour(std::to_string(iReport.remaining.size()) + " difference(s) remain", "33", colour)
       << "\n\n";
  Table table;
  table.AddColumn("DIFFERENCE");
  table.AddColumn("PRODUCT", 1, false, 24, true);
  table.AddColumn("PART NUMBER");
  table.AddColumn("ACTION", 2, false, 24);
  const std::vector<SyncAction>& actions = iReport.plan->Actions();
  for (const SyncRemaining& entry : iReport.remaining) {
    std::string action = "(none planned)";
    if (entry.action >= 0) {
      const SyncAction& a = actions[static_cast<size_t>(entry.action)];
      action = "#" + std::to_string(entry.action + 1) + " " + KindName(a.kind) +
               (FAILED(a.rc) ? " (failed)" : "");
    }
    table.AddRow({entry.difference, entry.product, entry.partNumber, action});
  }
  table.Print(oOut);
  oOut << "\n";
}

// Keys in byte order.
void WriteDetails(const SyncReport& iReport, JsonOut& oOut) {
  const std::vector<SyncAction>& actions = iReport.plan->Actions();
  oOut.BeginObject().Key("actions").BeginArray();
  for (size_t i = 0; i < actions.size(); ++i) {
    const SyncAction& a = actions[i];
    oOut.BeginObject().Key("action").String(KindName(a.kind))
        .Key("difference").String(a.difference).Key("error");
    if (a.applied && FAILED(a.rc)) {
      oOut.String(a.error);
    } else {
      oOut.Null();
    }
    oOut.Key("group").String(a.group).Key("index").Integer(static_cast<long long>(i + 1))
        .Key("partNumber").String(a.partNumber).Key("product").String(a.product)
        .Key("result");
    if (a.applied) {
      oOut.Integer(a.rc);
    } else {
      oOut.Null();
    }
    oOut.Key("secondPass").Boolean(a.secondPass).Key("what").String(a.what).EndObject();
  }
  oOut.EndArray().Key("applied").Boolean(iReport.applied)
      .Key("positions").String(iReport.toPsn ? "to-psn" : "from-psn")
      .Key("remaining");
  if (!iReport.applied) {
    oOut.Null();
  } else {
    oOut.BeginArray();
    for (const SyncRemaining& entry : iReport.remaining) {
      oOut.BeginObject().Key("action");
      if (entry.action >= 0) {
        oOut.Integer(entry.action + 1);
      } else {
        oOut.Null();
      }
      oOut.Key("difference").String(entry.difference).Key("partNumber").String(entry.partNumber)
          .Key("product").String(entry.product).EndObject();
    }
    oOut.EndArray();
  }
  oOut.Key("secondPass").Integer(iReport.plan->SecondPassCount()).Key("upToDate");
  if (iReport.applied) {
    oOut.Boolean(iReport.remaining.empty());
  } else {
    oOut.Null();
  }
  oOut.EndObject();
}

EditOutcome Sync(const SyncOptions& iOptions, EditContext& ioContext) {
  const std::string& file = iOptions.edit.common.session;
  const DocumentPair documents = ChooseDocuments(file, iOptions.bb, iOptions.psn);
  if (!documents.error.empty()) {
    ioContext.Refuse(documents.error);
    return EditOutcome();
  }
  SyncPair pair;
  pair.bbRoot = RootOf(documents.bb);
  pair.psnRoot = RootOf(documents.psn);
  pair.bb = ReadBlackBox(pair.bbRoot);
  pair.positionsToPsn = iOptions.positions == "to-psn";
  const std::string bb_name = HostSession::NameOf(documents.bb);
  const std::string refused = NotOfVersion2(file, bb_name, pair.bb, "synchronised");
  if (!refused.empty()) {
    ioContext.Refuse(refused);
    return EditOutcome();
  }
  Comparison before;
  if (!Compare(pair.bbRoot, pair.bb, pair.psnRoot, pair.node, before)) {
    ioContext.Refuse(file + ": black box '" + bb_name + "' has no node for its PSN part number '" +
                     pair.bb.psnPartNumber + "'");
    return EditOutcome();
  }
  EditOutcome outcome;
  if (FAILED(before.rc)) {
    outcome.rc = before.rc;
    return outcome;
  }
  auto report = std::make_shared<SyncReport>();
  report->plan = std::make_shared<SyncPlan>(pair, before);
  report->toPsn = pair.positionsToPsn;
  const size_t planned = report->plan->Actions().size();
  outcome.printDetails = [report](std::ostream& oOut) {
    PrintPlan(*report, oOut);
    PrintRemaining(*report, oOut);
  };
  outcome.writeDetails = [report](JsonOut& oOut) { WriteDetails(*report, oOut); };

  if (iOptions.edit.dryRun) {
    outcome.rc = planned == 0 ? S_OK : 1;
    outcome.exitCode = planned == 0 ? kExitOk : kExitDifferences;
    outcome.explanation = planned == 0 ? "up to date: nothing to do"
                                       : std::to_string(planned) + " action(s) planned";
    return outcome;
  }
  const int failed = report->plan->Apply(ioContext.Services());
  report->applied = true;
  Comparison after;
  CATBaseUnknown_var node;
  if (!Compare(pair.bbRoot, pair.bb, pair.psnRoot, node, after)) {
    outcome.rc = E_FAIL;
    return outcome;
  }
  if (FAILED(after.rc)) {
    outcome.rc = after.rc;
    return outcome;
  }
  report->remaining = report->plan->Remaining(after);
  const size_t left = report->remaining.size();
  outcome.rc = left == 0 ? S_OK : 1;
  outcome.exitCode = failed > 0 ? kExitFailed : left == 0 ? kExitOk : kExitDifferences;
  outcome.explanation = std::to_string(planned - static_cast<size_t>(failed)) + " of " +
                        std::to_string(planned) + " action(s) done; " +
                        (left == 0 ? std::string("up to date")
                                   : std::to_string(left) + " difference(s) remain");
  if (failed > 0 && !iOptions.keepGoing) {
    outcome.write = false;
    outcome.notWritten = std::to_string(failed) +
                         " action(s) failed (--keep-going writes the result all the same)";
  } else if (failed > 0) {
    outcome.warning = std::to_string(failed) + " action(s) failed; the rest was kept";
  }
  return outcome;
}

}  // namespace

int RunSync(const SyncOptions& iOptions, std::ostream& oOut, std::ostream& oErr) {
  EditCommand command;
  command.name = "sync";
  command.body = [&](EditContext& ioContext) { return Sync(iOptions, ioContext); };
  return RunEditing(iOptions.edit, command, oOut, oErr);
}

}  // namespace krvwd7
