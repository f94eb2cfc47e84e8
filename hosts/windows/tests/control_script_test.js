// The control as a hosting page's script uses it, run by cscript: create it
// by its ProgID, set the object tag's parameters as properties, read the
// counters and call its methods. An uncaught error ends cscript with status
// 0 under Wine, so the test prints its own summary line
// "control-script-test: N checks, M failed" for the caller to check.
var run = 0, failed = 0;

function check(ok, what) {
  run++;
  if (!ok) {
    failed++;
    WScript.Echo("FAILED: " + what);
  }
}

function equal(got, want, what) {
  check(got === want, what + ": got " + got + " (" + typeof got + "), want " + want);
}

function main() {
  var ctl = new ActiveXObject("Vantrel.VantrelCtl");
  check(ctl != null, "the control is created by its ProgID");

  // The page's parameters, as its script would set them.
  var params = {
    WGSecureServerURL: "https://tessaly.example/site/",
    SiteCode: "ABC",
    SiteKey: "k&y #1",
    TessalyUser: "Anne O'Neil",
    QBFilePath: "C:\\Data\\Acme.QBW",
    CustLexicon: "Client",
    EmpLexicon: "Worker",
    ProjLexicon: "Job",
    SILexicon: "Service",
    SubProjLexicon: "Phase"
  };
  for (var name in params) {
    equal(ctl[name], "", name + " starts empty");
    ctl[name] = params[name];
    equal(ctl[name], params[name], name + " reads back as set");
  }

  equal(ctl.ResetTessaly, false, "ResetTessaly starts False");
  ctl.ResetTessaly = true;
  equal(ctl.ResetTessaly, true, "ResetTessaly is set");
  equal(ctl.DebugMode, false, "DebugMode starts False");
  equal(ctl.wgUtilitySet, 0, "wgUtilitySet starts at wgurSuccess");
  ctl.wgUtilitySet = 4;
  equal(ctl.wgUtilitySet, 4, "wgUtilitySet is set");

  var counters = ["lngFailedCustCnt", "lngFailedEmpCnt", "lngFailedProjCnt",
                  "lngFailedItemCnt", "lngFailedGLCnt", "lngFailedClassCnt",
                  "lngFailedVendCnt", "lngFailedTimeCnt", "lngFailedExpCnt"];
  for (var i = 0; i < counters.length; i++) {
    equal(ctl[counters[i]], 0, counters[i] + " starts at 0");
  }
  equal(ctl.mDisplayTSError, false, "mDisplayTSError starts False");
  equal(ctl.mDisplayEXPError, false, "mDisplayEXPError starts False");

  // A page sets a date as text; the property takes it as a Date. (Wine's
  // JScript has no getVarDate.)
  var when = new Date(2026, 11, 4, 16, 5, 9);
  ctl.WGLastUploadDate = "12/4/2026 4:05:09 PM";
  equal(new Date(ctl.WGLastUploadDate).getTime(), when.getTime(), "WGLastUploadDate is set");

  equal(ctl.ReplaceSingleQuotes("O'Brien's"), "O''Brien''s", "ReplaceSingleQuotes");
  equal(ctl.ReplaceSingleQuotes(ctl.TessalyUser), "Anne O''Neil",
        "ReplaceSingleQuotes of a property");
  equal(ctl.ReplaceSingleQuotes(""), "", "ReplaceSingleQuotes of nothing");
  equal(ctl.UpdateDataForWGRequirement(), 0, "UpdateDataForWGRequirement");
  equal(ctl.ContactQuickBooks(), 0, "ContactQuickBooks without the company open");

  var threw = false;
  try {
    ctl.NoSuchMember();
  } catch (e) {
    threw = true;
  }
  check(threw, "an unknown member raises an error the script can catch");
}

try {
  main();
} catch (e) {
  failed++;
  WScript.Echo("FAILED: uncaught error " + (e.number >>> 0).toString(16) + " " + e.description);
}
WScript.Echo("control-script-test: " + run + " checks, " + failed + " failed");
