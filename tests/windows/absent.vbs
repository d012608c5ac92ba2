' SPDX-License-Identifier: GPL-3.0-or-later
' After regsvr32 /u: the ProgIDs create nothing (error 429).
Option Explicit
Dim fails, progIds, i, o
fails = 0
progIds = Array("Nimbo.clsVexoPlugIn", "VexoTypeLib.VexoModuleInfo", "VexoTypeLib.VexoPluginHelper")
On Error Resume Next
For i = 0 To UBound(progIds)
    Err.Clear
    Set o = CreateObject(progIds(i))
    If Err.Number = 429 Then
        WScript.Echo "ok: " & progIds(i) & " is gone (error 429)"
    Else
        WScript.Echo "FAIL: " & progIds(i) & ": error " & Err.Number
        fails = fails + 1
    End If
Next
On Error GoTo 0
WScript.Echo "absent.vbs: " & fails & " failure(s)"
WScript.Quit fails
