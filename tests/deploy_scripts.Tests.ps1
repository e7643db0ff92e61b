# deploy/'s scripts run by pwsh beside a stub quillmerec.exe (a shell script that prints
# given lines, records its arguments and exits with a given code).   pwsh -File <this> <Pester.psd1> <deploy/> <pwsh>
param([string] $Pester, [string] $Deploy, [string] $Pwsh)
if (-not (Get-Module Pester)) { # run by pwsh: Pester runs this file then
  Import-Module $Pester
  $result = Invoke-Pester -PassThru -Output Detailed -Container (New-PesterContainer -Path $PSCommandPath -Data @{ Deploy = $Deploy; Pwsh = $Pwsh })
  exit [int]($result.Result -ne 'Passed' -or $result.PassedCount -eq 0) # 'Passed' also says that every block loaded
}
BeforeAll {
  # Runs $Script with $Settings for its $Expect line, from a folder of its own with the
  # stub beside it unless $Code is null, and no program under ProgramW6432.
  function Invoke-Script($Script, [string[]] $Lines, $Code, $Settings = '$Expect = @()') {
    $folder = (New-Item -ItemType Directory "$TestDrive/$(New-Guid)").FullName
    Set-Content "$folder/$Script" (Get-Content -Raw "$Deploy/$Script").Replace('$Expect = @()', $Settings)
    if ($null -ne $Code) {
      Set-Content "$folder/quillmerec.exe" ("#!/bin/sh`nprintf '%s\n' `"`$@`" >`"`$0.arguments`"`n" + (($Lines | ForEach-Object { "echo '$_'`n" }) -join '') + "exit $Code")
      chmod +x "$folder/quillmerec.exe"
    }
    $env:ProgramW6432 = "$TestDrive/none"
    $output = @(& $Pwsh -NoProfile -File "$folder/$Script" 2>"$folder/stderr")
    @{ Code = $LASTEXITCODE; Last = $output[-1]; Error = Get-Content -Raw "$folder/stderr"
       Arguments = @(Get-Content "$folder/quillmerec.exe.arguments" -ErrorAction Ignore) }
  }
}
Describe '<Script>' -ForEach @(
  @{ Script = 'intune-detection.ps1'; Command = 'check'; Throws = 4; Exits = $true }
  @{ Script = 'intune-remediation.ps1'; Command = 'repair'; Throws = 4; Exits = $true }
  @{ Script = 'configmgr-discovery.ps1'; Command = 'check'; Throws = 2; Exits = $false }
  @{ Script = 'configmgr-remediation.ps1'; Command = 'repair'; Throws = 1; Exits = $false }
) {
  It 'reports a missing program instead of health, and where it looked' {
    $run = Invoke-Script $Script # pwsh wraps what a script throws to its console's width:
    $run.Code | Should -Be 1
    "$($run.Last)$($run.Error)" -replace '[\s|]' | Should -BeLike "*quillmerec.exenotfound:$TestDrive/*/quillmerec.exe;$TestDrive/none/Quillmere/quillmerec.exe*"
  }
  It 'on exit <_> passes the program''s last line on' -ForEach 0, 1, 2, 3 {
    $last = @('verdict 0', 'verdict 1', 'Error 52: Access is denied.', 'Error 53: Out of memory.')[$_]
    $run = Invoke-Script $Script 'Backup Utility: on', $last $_
    $run.Arguments | Should -Be $Command, '/stock'
    $run.Code | Should -Be $(if ($_ -ge $Throws) { 1 } elseif ($Exits) { $_ } else { 0 })
    if ($_ -ge $Throws) { $run.Error | Should -Match ([regex]::Escape($last)) } else { $run.Last | Should -Be $last }
  }
  It 'passes the organisation''s lines on, and no /stock unless asked' {
    $run = Invoke-Script $Script 'No findings.' 0 "`$Expect = 'backup=off', 'cleanup=`"C:\Program Files\T\c.exe`" /D %c'; `$Stock = `$false"
    $run.Arguments | Should -Be $Command, '/expect', 'backup=off', '/expect', 'cleanup="C:\Program Files\T\c.exe" /D %c'
  }
}
