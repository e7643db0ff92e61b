# deploy/'s scripts run by pwsh as an engine runs them, each copied beside a
# stub quillmerec.exe (a shell script) that prints given lines, records its
# arguments and ends with a given code.
#   pwsh -File deploy_scripts.Tests.ps1 <Pester.psd1> <deploy folder> <pwsh>
param([string] $Pester, [string] $Deploy, [string] $Pwsh)
if (-not (Get-Module Pester)) {
  Import-Module $Pester
  $configuration = New-PesterConfiguration
  $configuration.Run.Container = New-PesterContainer -Path $PSCommandPath -Data @{ Deploy = $Deploy; Pwsh = $Pwsh }
  $configuration.Run.PassThru = $true
  $configuration.Output.Verbosity = 'Detailed'
  $result = Invoke-Pester -Configuration $configuration
  # 'Passed' also says that every block loaded; a run of no case passes nothing.
  if ($result.Result -ne 'Passed' -or $result.PassedCount -eq 0) { exit 1 }
  exit 0
}

BeforeAll {
  function New-Stub($Folder, [string[]] $Lines, $Code, [switch] $NotExecutable) {
    New-Item -ItemType Directory $Folder -Force | Out-Null
    $stub = Join-Path $Folder 'quillmerec.exe'
    $printed = ($Lines | ForEach-Object { "echo '$_'" }) -join "`n"
    Set-Content -LiteralPath $stub -Value "#!/bin/sh`nprintf '%s\n' `"`$@`" >`"`$0.arguments`"`n$printed`nexit $Code"
    if (-not $NotExecutable) { chmod +x $stub }
  }
  # Runs $Script from a folder of its own, with a stub beside it unless
  # -Missing, and $env:ProgramW6432 naming $ProgramFiles. Returns the exit
  # code, standard output and error, and the stub's arguments.
  function Invoke-Script($Script, [string[]] $Lines, $Code, [string] $Expect, [switch] $NoStock,
                         [switch] $Missing, [switch] $NotExecutable,
                         $ProgramFiles = (Join-Path $TestDrive 'no program files')) {
    $folder = Join-Path $TestDrive ([guid]::NewGuid())
    New-Item -ItemType Directory $folder | Out-Null
    $text = Get-Content -Raw (Join-Path $Deploy $Script)
    if ($Expect) { $text = $text.Replace('$Expect = @()', "`$Expect = $Expect") }
    if ($NoStock) { $text = $text.Replace('$Stock = $true', '$Stock = $false') }
    Set-Content -LiteralPath (Join-Path $folder $Script) -Value $text
    if (-not $Missing) { New-Stub $folder $Lines $Code -NotExecutable:$NotExecutable }
    $env:ProgramW6432 = $ProgramFiles
    $output = @(& $Pwsh -NoProfile -NonInteractive -File (Join-Path $folder $Script) 2>"$folder/stderr")
    @{ Code = $LASTEXITCODE; Last = $output | Select-Object -Last 1
       Error = Get-Content -Raw "$folder/stderr"
       Arguments = @(Get-Content "$folder/quillmerec.exe.arguments" -ErrorAction Ignore) }
  }
}

Describe '<Script>' -ForEach @(
  @{ Script = 'intune-detection.ps1'; Command = 'check'; Throws = 4; Exits = $true }
  @{ Script = 'intune-remediation.ps1'; Command = 'repair'; Throws = 4; Exits = $true }
  @{ Script = 'configmgr-discovery.ps1'; Command = 'check'; Throws = 2; Exits = $false }
  @{ Script = 'configmgr-remediation.ps1'; Command = 'repair'; Throws = 1; Exits = $false }
) {
  It 'reports a missing program instead of health' {
    $run = Invoke-Script $Script -Missing
    $run.Code | Should -Be 1
    $message = if ($Script -eq 'intune-detection.ps1') { $run.Last } else { $run.Error }
    # pwsh wraps a thrown message to the width of its console.
    $looked = "quillmerec.exe not found: $TestDrive/*/quillmerec.exe; $TestDrive/no program files/Quillmere/quillmerec.exe"
    $message -replace '[\s|]' | Should -BeLike "*$($looked -replace '\s')*"
  }

  It 'on exit <_> passes the program''s last line on' -ForEach 0, 1, 2, 3 {
    $last = if ($_ -ge 2) { "Error 5$($_): Access is denied." } else { "verdict $_" }
    $run = Invoke-Script $Script -Lines 'Backup Utility: on', $last -Code $_
    $run.Arguments | Should -Be $Command, '/stock'
    if ($_ -ge $Throws) {
      $run.Code | Should -Be 1
      $run.Error | Should -Match ([regex]::Escape($last))
    } else {
      $run.Code | Should -Be $(if ($Exits) { $_ } else { 0 })
      $run.Last | Should -Be $last
      $run.Error | Should -BeNullOrEmpty
    }
  }

  It 'passes the organisation''s lines on, without the stock lines' {
    $run = Invoke-Script $Script -Lines 'No findings.' -Code 0 -NoStock `
      -Expect "@('backup=off', 'cleanup=`"C:\Program Files\Tool\clean.exe`" /D %c')"
    $run.Arguments | Should -Be $Command, '/expect', 'backup=off',
      '/expect', 'cleanup="C:\Program Files\Tool\clean.exe" /D %c'
  }
}

Describe 'intune-detection.ps1 looking for the program' {
  It 'takes the one in $env:ProgramW6432\Quillmere when none is beside it' {
    New-Stub (Join-Path $TestDrive 'program files/Quillmere') 'No findings.' 0
    $run = Invoke-Script 'intune-detection.ps1' -Missing -ProgramFiles (Join-Path $TestDrive 'program files')
    $run.Code | Should -Be 0
    $run.Last | Should -Be 'No findings.'
  }

  It 'reports a program that cannot start' {
    $run = Invoke-Script 'intune-detection.ps1' -Lines 'never printed' -Code 0 -NotExecutable
    $run.Code | Should -Be 1
    $run.Last | Should -Match '^quillmerec\.exe could not run: .+quillmerec\.exe \(.+\)$'
  }
}
