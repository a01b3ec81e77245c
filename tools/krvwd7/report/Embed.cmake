# Writes OUT, a C++ source that defines krvwd7::kReportTemplate as the text
# of IN (the HTML report's page). Run by the build whenever IN changes.
file(READ ${IN} text)
file(WRITE ${OUT}
  "// Made by tools/krvwd7/report/Embed.cmake from report.html; do not edit.\n"
  "namespace krvwd7 {\n"
  "extern const char kReportTemplate[];\n"
  "const char kReportTemplate[] = R\"krvwd7report(${text})krvwd7report\";\n"
  "}  // namespace krvwd7\n")
